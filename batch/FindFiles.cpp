#include "batch/FindFiles.h"

#include "core/Paths.h"
#include "core/StringUtils.h"
#include "log/WriteLog.h"

#include <algorithm>
#include <cstring>
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

void WarnFolder(const TScanOptions& options, const std::string& directory, const std::string& why) {
    if (!options.Warn) return;
    LogNew(lmWarning,
           {{"\"", LogTextColor}, {directory, LogValueColor}, {"\" is not scanned: " + why, LogTextColor}});
}

// The directory's entries sorted by name. Only regular files and real
// directories are kept: a fifo or device must never reach the image loader,
// and a symbolic link to a directory could lead the scan in a circle.
std::vector<TListedEntry> ListDirectory(const std::string& directory, const TScanOptions& options) {
    std::vector<TListedEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec) {
        WarnFolder(options, directory, ec.message() + ".");
        return entries;
    }
    for (const fs::directory_entry& e : it) {
        // The types the listing gives cost no system call; only where it
        // gives none, and for links, the file is asked.
        std::error_code sec;
        const bool link = e.is_symlink(sec);
        const bool directory = !sec && !link && e.is_directory(sec);
        if (sec) {
            WarnFolder(options, e.path().string(), sec.message() + ".");
            continue;
        }
        if (directory) {
            entries.push_back({e.path().filename().string(), true});
            continue;
        }
        if (e.is_regular_file(sec) && !sec)
            entries.push_back({e.path().filename().string(), false});  // follows a link to a file
    }
    std::sort(entries.begin(), entries.end(),
              [](const TListedEntry& a, const TListedEntry& b) { return a.Name < b.Name; });
    return entries;
}

void Scan(const std::string& directory, const TScanOptions& options, int depth,
          const std::function<void(const std::string&)>& onFile) {
    std::vector<std::string> subdirectories;
    for (const TListedEntry& e : ListDirectory(directory, options)) {
        if (e.Name.empty() || e.Name[0] == '.') continue;
        const std::string path = directory + e.Name;
        if (!e.Directory) {
            onFile(path);
        } else if (options.Recurse) {
            subdirectories.push_back(path + kPathSeparator);
        }
    }
    for (const std::string& sub : subdirectories) {
        if (!options.Exclude.empty() && sub == options.Exclude) continue;
        if (depth >= kMaxScanDepth) {
            WarnFolder(options, sub, "it lies more than " + std::to_string(kMaxScanDepth) + " levels deep.");
            continue;
        }
        Scan(sub, options, depth + 1, onFile);
    }
}

}  // namespace

void ScanTree(const std::string& directory, const TScanOptions& options,
              const std::function<void(const std::string& file)>& onFile) {
    // A NUL would cut the name the system sees short of the one we build
    // on: the listing and the paths made from it would no longer agree.
    if (directory.find('\0') != std::string::npos) {
        WarnFolder(options, directory, "the name holds a NUL character.");
        return;
    }
    Scan(directory, options, 0, onFile);
}

void FindFiles(const std::string& directory, const std::vector<std::string>& extensions,
               std::vector<std::string>& found, const TScanOptions& options) {
    std::vector<std::string> wanted;
    wanted.reserve(extensions.size());
    for (const std::string& e : extensions) wanted.push_back(UpperCase(e));
    ScanTree(directory, options, [&](const std::string& file) {
        const std::string ext = UpperCase(FileExtension(FileNamePart(file)));
        if (!ext.empty() && std::find(wanted.begin(), wanted.end(), ext) != wanted.end())
            found.push_back(file);
    });
}

}  // namespace pm
