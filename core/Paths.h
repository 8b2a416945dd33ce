#pragma once
// Path helpers over the platform separator ('/' here).
#include <string>
#include <string_view>

namespace pm {

constexpr char kPathSeparator = '/';
// The longest name of one folder entry, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

// Characters up to and including the last separator ("" when none).
std::string DirectoryPart(const std::string& path);
// Characters after the last separator.
std::string FileNamePart(const std::string& path);
std::string IncludeTrailingSeparator(const std::string& dir);
std::string ExcludeTrailingSeparator(const std::string& dir);
bool FileExists(const std::string& path);  // an existing non-directory
bool DirectoryExists(const std::string& path);
// Copies src over dst (overwriting); false on failure.
bool CopyFileOver(const std::string& src, const std::string& dst);
bool DeleteFileIfExists(const std::string& path);  // true when gone afterwards
// Whether two paths name the same file as the file system compares names
// (letter case counts here).
bool SamePath(const std::string& a, const std::string& b);
// `path` made absolute (relative to the current directory) with "." and ".."
// resolved by name, without a trailing separator (except the root).
std::string AbsoluteNormalPath(const std::string& path);
// The same for a folder, with the trailing separator.
std::string AbsoluteNormalDirectory(const std::string& dir);
// Whether the absolute normal `path` lies below the absolute normal `folder`
// (which ends with the separator), by name.
bool PathInside(const std::string& path, const std::string& folder);
// Whether `text` holds a NUL or another control character; such a text is
// no path a user meant.
bool HasControlCharacter(std::string_view text);
// `stem` + `suffix` as one folder entry name: unchanged when it fits in
// kMaxNameBytes, else the stem is cut (on a character boundary) and ends
// with "~" and 16 hex digits of a hash of the whole name, so that different
// long names stay different and the same name always gives the same result.
// Empty when even the suffix does not fit.
std::string FitFileName(const std::string& stem, const std::string& suffix = {});
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
