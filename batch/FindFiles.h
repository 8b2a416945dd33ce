#pragma once
// Collecting the source files of a project item.
#include <functional>
#include <string>
#include <vector>

namespace pm {

// The text after the last "." of `fileName`; empty when there is none.
std::string FileExtension(const std::string& fileName);

// Folders deeper than this below the source folder are not entered.
constexpr int kMaxScanDepth = 128;

struct TScanOptions {
    bool Recurse = true;
    // A folder (absolute, normal, ending with the separator) that is never
    // entered: the results of a target folder inside the source folder.
    std::string Exclude;
    // Name folders that cannot be read or lie too deep in a warning.
    bool Warn = true;
};

// Calls `onFile` with the full path of every regular file of `directory`
// (which ends with the path separator), then, when recursing, of each
// subdirectory, depth first. Names beginning with "." are skipped, files and
// directories alike. Entries are taken in bytewise name order so that runs
// are reproducible. Only real folders are entered (never a link, fifo or
// device), and a folder that cannot be listed adds nothing.
void ScanTree(const std::string& directory, const TScanOptions& options,
              const std::function<void(const std::string& file)>& onFile);

// Appends to `found` every file of the scan whose extension, ignoring letter
// case, is one of `extensions`.
void FindFiles(const std::string& directory, const std::vector<std::string>& extensions,
               std::vector<std::string>& found, const TScanOptions& options);
inline void FindFiles(const std::string& directory, const std::vector<std::string>& extensions,
                      std::vector<std::string>& found, bool recurse) {
    TScanOptions options;
    options.Recurse = recurse;
    FindFiles(directory, extensions, found, options);
}

}  // namespace pm
