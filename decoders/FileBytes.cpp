#include "decoders/FileBytes.h"

#include "imaging/PixelMemoryGate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm {

namespace {

class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    ~TFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool ReadRegularFile(const std::string& fileName, std::uint64_t maxBytes, std::vector<std::uint8_t>& data,
                     std::string& error, IPixelMemoryGate* gate) {
    if (fileName.find('\0') != std::string::npos) {
        error = "Cannot open file (NUL in its name)";
        return false;
    }
    // O_NONBLOCK: opening a fifo without a writer would wait for one.
    TFd fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) {
        error = std::string("Cannot open file (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        error = std::string("Cannot read file (") + std::strerror(errno) + ")";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "Not a regular file";
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        error = "File too large";
        return false;
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    if (gate) gate->BeforeAllocate(static_cast<std::size_t>(st.st_size), 1);
    data.assign(static_cast<std::size_t>(st.st_size), 0);
    std::size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd.Get(), data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("Cannot read file (") + std::strerror(errno) + ")";
            return false;
        }
        if (n == 0) break;  // shrunk while being read: what is there is the file
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return true;
}

}  // namespace pm
