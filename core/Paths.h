#pragma once
// Path helpers over the platform separator ('/' here).
#include <string>

namespace pm {

constexpr char kPathSeparator = '/';

// Characters up to and including the last separator ("" when none).
std::string DirectoryPart(const std::string& path);
// Characters after the last separator.
std::string FileNamePart(const std::string& path);
std::string IncludeTrailingSeparator(const std::string& dir);
std::string ExcludeTrailingSeparator(const std::string& dir);
bool FileExists(const std::string& path);       // an existing non-directory
bool DirectoryExists(const std::string& path);
// Copies src over dst (overwriting); false on failure.
bool CopyFileOver(const std::string& src, const std::string& dst);
bool DeleteFileIfExists(const std::string& path);  // true when gone afterwards
// Whether two paths name the same file as the file system compares names
// (letter case counts here).
bool SamePath(const std::string& a, const std::string& b);
// Directory of the running executable, with a trailing separator.
std::string ProgramDirectory();

// Creates `dir` and any missing parents. One trailing separator is dropped;
// texts shorter than 3 characters (roots) and existing directories give
// false. The parents' results are ignored: the answer is whether `dir`
// itself was created.
bool CreateDirectoryChain(const std::string& dir);
// The characters of `name` before its last "."; `name` itself when it has none.
std::string StripExtension(const std::string& name);
// Whether the existing file `path` may be removed or replaced by us: its
// folder lets us remove entries, and the file is not write-protected. A file
// without write permission counts as protected even for root, as a
// read-only file would on the desktop.
bool FileDeletable(const std::string& path);

}  // namespace pm
