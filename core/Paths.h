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
// Directory of the running executable, with a trailing separator.
std::string ProgramDirectory();

}  // namespace pm
