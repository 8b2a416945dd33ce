#include "core/Paths.h"

#include "core/StringUtils.h"

#include <cstdio>
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

// A NUL inside a name would make the system look at a shorter one.
static bool NameUsable(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return NameUsable(path) && fs::exists(path, ec) && !fs::is_directory(path, ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return NameUsable(path) && fs::is_directory(path, ec);
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

bool SamePath(const std::string& a, const std::string& b) {
    return a == b;
}

std::string AbsoluteNormalPath(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) p = fs::path(path);
    std::string text = p.lexically_normal().string();
    return ExcludeTrailingSeparator(text);
}

std::string AbsoluteNormalDirectory(const std::string& dir) {
    return IncludeTrailingSeparator(AbsoluteNormalPath(dir));
}

bool PathInside(const std::string& path, const std::string& folder) {
    return !folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
}

bool HasControlCharacter(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

std::string FitFileName(const std::string& stem, const std::string& suffix) {
    if (stem.size() + suffix.size() <= kMaxNameBytes) return stem + suffix;
    char mark[24];
    std::snprintf(mark, sizeof mark, "~%016llx", static_cast<unsigned long long>(Fnv1a64(stem + suffix)));
    const std::size_t markBytes = std::char_traits<char>::length(mark);
    if (suffix.size() + markBytes >= kMaxNameBytes) return {};
    std::size_t keep = kMaxNameBytes - suffix.size() - markBytes;
    // Never cut a multi-byte character in two.
    while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80) --keep;
    return stem.substr(0, keep) + mark + suffix;
}

}  // namespace pm
