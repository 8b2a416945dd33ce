#include "cli/LogTarget.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/StringUtils.h"
#include "tasks/PM__TLoadFromFile.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace pm {

namespace {

struct TSourceFolder {
    std::string Directory;  // absolute, normal, with the separator
    bool Recurse = true;
};

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    if (AbsoluteNormalPath(a) == AbsoluteNormalPath(b)) return true;
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The project's items as the run will take them; read quietly, since the
// run reads (and reports on) the file itself later.
void ReadProjectPaths(const std::string& projectFile, std::vector<std::string>& scenarios,
                      std::vector<TSourceFolder>& sources) {
    try {
        const TIniFile ini(projectFile);
        for (const std::string& section : ini.ReadSections()) {
            scenarios.push_back(ini.ReadString(section, "ScenarioFileName", ""));
            const std::string dir = ini.ReadString(section, "SourceDirectory", "");
            if (!dir.empty())
                sources.push_back({AbsoluteNormalDirectory(dir),
                                   StringToBool(ini.ReadString(section, "SourceScanSubDir", "YES"))});
        }
    } catch (const std::exception&) {
        // An unreadable project fails the run with its own message.
    }
}

bool IsInputPicture(const std::string& file, const std::vector<TSourceFolder>& sources) {
    TLoadFromFile load;
    load.BuildExtensionLists(vsCurrent);
    const std::string name = FileNamePart(file);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    const std::string ext = UpperCase(name.substr(dot + 1));
    if (std::find(load.AllExtensions.begin(), load.AllExtensions.end(), ext) == load.AllExtensions.end())
        return false;
    for (const TSourceFolder& s : sources)
        if (s.Recurse ? PathInside(file, s.Directory) : DirectoryPart(file) == s.Directory) return true;
    return false;
}

}  // namespace

std::string OutputFileConflict(const TCliOptions& o, const std::string& file, const std::string& what) {
    if (file.empty()) return {};
    const std::string log = AbsoluteNormalPath(file);
    std::vector<std::string> scenarios;
    std::vector<TSourceFolder> sources;
    const std::string prefix = what + " " + file;
    if (o.Command == TCliCommand::RunProject || o.Command == TCliCommand::WatchProject) {
        if (SameFile(log, o.ProjectFile)) return prefix + " is the project file";
        ReadProjectPaths(o.ProjectFile, scenarios, sources);
    } else {
        scenarios.push_back(o.ScenarioFile);
        if (o.Command == TCliCommand::RunItem || o.Command == TCliCommand::WatchItem)
            sources.push_back({AbsoluteNormalDirectory(o.SourceDirectory), o.ScanSubDirs});
    }
    for (const std::string& scenario : scenarios)
        if (SameFile(log, scenario)) return prefix + " is a scenario file of this run";
    if (IsInputPicture(log, sources)) return prefix + " would be a source picture of this run";
    return {};
}

std::string LogFileConflict(const TCliOptions& o) {
    return OutputFileConflict(o, o.LogFile, "the log file");
}

}  // namespace pm
