#include "batch/FindFiles.h"

#include "core/Paths.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace pm {

namespace fs = std::filesystem;

std::string FileExtension(const std::string& fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

namespace {

struct TListedEntry {
    std::string Name;
    bool Directory;
};

// The directory's entries sorted by name. Only regular files and real
// directories are kept: a fifo or device must never reach the image loader,
// and a symbolic link to a directory could lead the scan in a circle.
std::vector<TListedEntry> ListDirectory(const std::string& directory) {
    std::vector<TListedEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec) return entries;
    for (const fs::directory_entry& e : it) {
        std::error_code sec;
        const fs::file_status linkStatus = e.symlink_status(sec);
        if (sec) continue;
        if (fs::is_directory(linkStatus)) {
            entries.push_back({e.path().filename().string(), true});
            continue;
        }
        const fs::file_status status = e.status(sec);  // follows a link to a file
        if (!sec && fs::is_regular_file(status)) entries.push_back({e.path().filename().string(), false});
    }
    std::sort(entries.begin(), entries.end(),
              [](const TListedEntry& a, const TListedEntry& b) { return a.Name < b.Name; });
    return entries;
}

}  // namespace

void FindFiles(const std::string& directory, const std::vector<std::string>& extensions,
               std::vector<std::string>& found, bool recurse) {
    std::vector<std::string> wanted;
    wanted.reserve(extensions.size());
    for (const std::string& e : extensions) wanted.push_back(UpperCase(e));

    std::vector<std::string> subdirectories;
    for (const TListedEntry& e : ListDirectory(directory)) {
        if (e.Name.empty() || e.Name[0] == '.') continue;
        if (e.Directory) {
            subdirectories.push_back(directory + e.Name + kPathSeparator);
            continue;
        }
        const std::string ext = UpperCase(FileExtension(e.Name));
        if (ext.empty()) continue;
        if (std::find(wanted.begin(), wanted.end(), ext) != wanted.end()) found.push_back(directory + e.Name);
    }
    if (!recurse) return;
    for (const std::string& sub : subdirectories) FindFiles(sub, wanted, found, true);
}

}  // namespace pm
