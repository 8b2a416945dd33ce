#pragma once
// Collecting the source files of a project item.
#include <string>
#include <vector>

namespace pm {

// The text after the last "." of `fileName`; empty when there is none.
std::string FileExtension(const std::string& fileName);

// Appends to `found` every file of `directory` (which ends with the path
// separator) whose extension, ignoring letter case, is one of `extensions`;
// then, when `recurse` is set, the files of each subdirectory, depth first.
// Names beginning with "." are skipped, files and directories alike. Entries
// are taken in bytewise name order so that runs are reproducible. A directory
// that cannot be listed adds nothing.
void FindFiles(const std::string& directory, const std::vector<std::string>& extensions,
               std::vector<std::string>& found, bool recurse);

}  // namespace pm
