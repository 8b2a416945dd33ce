#include "core/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm {

TAtomicFileWriter::TAtomicFileWriter(const std::string& target, bool durable)
    : target_(target), durable_(durable) {
    std::string dir = ".";
    std::size_t slash = target.find_last_of('/');
    if (slash != std::string::npos) dir = target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    temp_ = (slash == std::string::npos ? std::string() : dir) + "." + name + ".tmp-XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        temp_.clear();
        return;
    }
    // mkstemp creates 0600; results and settings are ordinary files.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
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
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    closed_ = true;
    if (!ok) failed_ = true;
    return ok;
}

bool TAtomicFileWriter::Commit() {
    if (!Close()) return false;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return false;
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
