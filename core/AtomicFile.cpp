#include "core/AtomicFile.h"

#include "core/TempNames.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm {

TAtomicFileWriter::TAtomicFileWriter(const std::string& target, bool durable)
    : target_(target), durable_(durable) {
    const std::size_t slash = target.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    SweepStaleTemporariesOnce(dir);
    // Created with 0666 so that the process umask alone decides the mode, as
    // for any other file the user makes; the umask itself is never touched.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = dir + NewTemporaryName();
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        error_ = errno;
        temp_.clear();
    }
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool TAtomicFileWriter::Write(const void* data, std::size_t size) {
    if (fd_ < 0 || failed_) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = errno;
            failed_ = true;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool TAtomicFileWriter::Close() {
    if (closed_) return !failed_;
    if (fd_ < 0 || failed_) return false;
    bool ok = !durable_ || ::fsync(fd_) == 0;
    if (!ok) error_ = errno;
    if (::close(fd_) != 0) {
        if (ok) error_ = errno;
        ok = false;
    }
    fd_ = -1;
    closed_ = true;
    if (!ok) failed_ = true;
    return ok;
}

bool TAtomicFileWriter::Commit() {
    if (!Close()) return false;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        error_ = errno;
        return false;
    }
    temp_.clear();
    return true;
}

bool SyncFileSystemOf(const std::string& path) {
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

bool WriteFileAtomically(const std::string& fileName, std::string_view data) {
    TAtomicFileWriter w(fileName);
    if (!w.IsOpen()) return false;
    if (!w.Write(data.data(), data.size())) return false;
    return w.Commit();
}

}  // namespace pm
