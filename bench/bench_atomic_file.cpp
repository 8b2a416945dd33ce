// What a result file costs to write safely: TAtomicFileWriter (temporary
// file, fsync, rename) against the same steps without the fsync. Run it on
// the file system the results go to (BENCH_DIR, default the current folder).
#include "core/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string Dir() {
    const char* d = std::getenv("BENCH_DIR");
    return d && *d ? std::string(d) + "/" : std::string("./");
}

// About the size of an 800 x 533 JPEG at quality 70.
const std::vector<char>& Payload() {
    static const std::vector<char> bytes(120 * 1024, 'x');
    return bytes;
}

void BM_AtomicWriteWithFsync(benchmark::State& state) {
    const std::string target = Dir() + "bench_atomic_file.out";
    for (auto _ : state) {
        pm::TAtomicFileWriter w(target);
        if (!w.Write(Payload().data(), Payload().size()) || !w.Commit()) state.SkipWithError("write failed");
    }
    std::remove(target.c_str());
}
BENCHMARK(BM_AtomicWriteWithFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteRenameWithoutFsync(benchmark::State& state) {
    const std::string target = Dir() + "bench_atomic_file.out";
    const std::string temp = target + ".tmp";
    for (auto _ : state) {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 ||
            ::write(fd, Payload().data(), Payload().size()) != static_cast<ssize_t>(Payload().size()) ||
            ::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0)
            state.SkipWithError("write failed");
    }
    std::remove(target.c_str());
}
BENCHMARK(BM_WriteRenameWithoutFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
