#include "core/Paths.h"

#include <filesystem>
#include <system_error>

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

}  // namespace pm
