#include "core/Paths.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pm {

namespace fs = std::filesystem;

std::string DirectoryPart(const std::string& path) {
    std::size_t p = path.find_last_of(kPathSeparator);
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string FileNamePart(const std::string& path) {
    std::size_t p = path.find_last_of(kPathSeparator);
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string IncludeTrailingSeparator(const std::string& dir) {
    if (!dir.empty() && dir.back() == kPathSeparator) return dir;
    return dir + kPathSeparator;
}

std::string ExcludeTrailingSeparator(const std::string& dir) {
    if (dir.size() > 1 && dir.back() == kPathSeparator) return dir.substr(0, dir.size() - 1);
    return dir;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool CopyFileOver(const std::string& src, const std::string& dst) {
    std::error_code ec;
    fs::copy_file(src, dst, fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool DeleteFileIfExists(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return true;
    fs::remove(path, ec);
    return !ec && !fs::exists(fs::symlink_status(path, ec));
}

std::string ProgramDirectory() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return IncludeTrailingSeparator(fs::current_path(ec).string());
    return IncludeTrailingSeparator(exe.parent_path().string());
}

bool CreateDirectoryChain(const std::string& dir) {
    std::string d = dir;
    if (!d.empty() && d.back() == kPathSeparator) d.pop_back();
    if (d.size() < 3 || DirectoryExists(d)) return false;
    std::string parent = DirectoryPart(d);
    if (parent != d) CreateDirectoryChain(parent);
    std::error_code ec;
    return fs::create_directory(d, ec) && !ec;
}

std::string StripExtension(const std::string& name) {
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool FileDeletable(const std::string& path) {
    struct stat file {};
    if (::lstat(path.c_str(), &file) != 0) return false;
    const std::string parent = DirectoryPart(path);
    const char* dir = parent.empty() ? "." : parent.c_str();
    struct stat folder {};
    if (::stat(dir, &folder) != 0) return false;
    // Removing an entry needs write and search permission on its folder, and
    // in a sticky folder (/tmp) ownership of the file or the folder.
    if (::faccessat(AT_FDCWD, dir, W_OK | X_OK, AT_EACCESS) != 0) return false;
    const uid_t me = ::geteuid();
    if ((folder.st_mode & S_ISVTX) && me != 0 && me != file.st_uid && me != folder.st_uid) return false;
    // A link is removed, not its target; its own mode means nothing.
    if (S_ISLNK(file.st_mode)) return true;
    if (me == 0) return (file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool SamePath(const std::string& a, const std::string& b) { return a == b; }

}  // namespace pm
