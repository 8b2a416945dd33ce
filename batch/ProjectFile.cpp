#include "batch/ProjectFile.h"

#include "core/BackupCopy.h"
#include "core/INIObject.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "log/WriteLog.h"

#include <exception>
#include <stdexcept>

namespace pm {

namespace {

// Directory values written by hand may lack the trailing separator; the scan
// and the target names rely on it, so it is added when the item is read.
std::string ReadDirectory(const TIniFile& ini, const std::string& section, const std::string& key) {
    std::string dir = ini.ReadString(section, key, "");
    return dir.empty() ? dir : IncludeTrailingSeparator(dir);
}

// Reads section "Item<n>"; false only when reading raised an error.
bool ReadItem(const TIniFile& ini, int n, TProjectFile& project) {
    const std::string section = "Item" + std::to_string(n);
    if (!ini.SectionExists(section)) {
        LogNew(lmError, {{"Can't found item ", LogErrorColor},
                         {std::to_string(n), LogValueColor},
                         {" Skipped.", LogErrorColor}});
        ++project.SkippedItems;
        return true;
    }
    try {
        PrItemRec item;
        item.SourceDirectory = ReadDirectory(ini, section, "SourceDirectory");
        item.SourceScanSubDir = StringToBool(ini.ReadString(section, "SourceScanSubDir", "YES"));
        item.TargetDirectory = ReadDirectory(ini, section, "TargetDirectory");
        item.ScenarioFileName = ini.ReadString(section, "ScenarioFileName", "");
        item.SkipUnchanged = StringToBool(ini.ReadString(section, kSkipUnchangedKey, "NO"));
        if (ValidateProjectItem(item)) {
            project.Items.push_back(std::move(item));
        } else {
            LogNew(lmError, {{"Can't add item ", LogErrorColor},
                             {std::to_string(n), LogValueColor},
                             {". Error founded. Section skipped!", LogErrorColor}});
            ++project.SkippedItems;
        }
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't read item " + std::to_string(n));
        return false;
    }
    return true;
}

// Values are written in double quotes on one line; a line break inside a
// path cannot be stored in that form.
std::string QuotedPath(const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos)
        throw std::runtime_error("Line break inside a path.");
    return Quoted(value);
}

}  // namespace

bool ValidateProjectItem(const PrItemRec& item) {
    try {
        auto report = [](const char* key, const char* what, const std::string& path) {
            LogNew(lmError, {{std::string("Invalid value of key \"") + key + "\". Specified " + what + " \"",
                              LogErrorColor},
                             {path, LogValueColor},
                             {"\" not found!", LogErrorColor}});
        };
        bool ok = true;
        if (!DirectoryExists(item.SourceDirectory)) {
            report("SourceDirectory", "directory", item.SourceDirectory);
            ok = false;
        }
        if (!DirectoryExists(item.TargetDirectory)) {
            report("TargetDirectory", "directory", item.TargetDirectory);
            ok = false;
        }
        if (!FileExists(item.ScenarioFileName)) {
            report("ScenarioFileName", "file", item.ScenarioFileName);
            ok = false;
        }
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

bool ReadProjectFile(const std::string& fileName, TProjectFile& project) {
    project = {};
    try {
        LogNew(lmInfo, {{"Loading project file \"", LogTextColor},
                        {fileName, LogValueColor},
                        {"\" ... ", LogTextColor}});
        TIniFile ini(fileName);
        const std::vector<std::string> sections = ini.ReadSections();
        if (sections.empty()) {
            LogError("Can't found valid data inside file!");
            return false;
        }
        const int count = static_cast<int>(sections.size());
        for (int n = 1; n <= count; ++n)
            if (!ReadItem(ini, n, project)) project.ItemFailed = true;
        if (project.ItemFailed) {
            LogError("Can't load project!");
            return false;
        }
        LogAppend(lmInfo, {{"Complete", LogDoneColor}});
        return true;
    } catch (const std::exception& e) {
        LogError(e.what());
        return false;
    }
}

bool WriteProjectFile(const std::string& fileName, const std::vector<PrItemRec>& items) {
    LogNew(lmInfo,
           {{"Saving project file \"", LogTextColor}, {fileName, LogValueColor}, {"\" ...", LogTextColor}});
    if (items.empty()) {
        LogNew(lmWarning, {{"No items for saving.", LogTextColor}});
        return false;
    }
    if (!MakeBackupCopy(fileName)) return false;
    try {
        TIniFile ini(fileName);
        for (const std::string& s : ini.ReadSections()) ini.EraseSection(s);
        bool faulty = false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            try {
                const PrItemRec& item = items[i];
                const std::string section = "Item" + std::to_string(i + 1);
                const std::string source = QuotedPath(item.SourceDirectory);
                const std::string target = QuotedPath(item.TargetDirectory);
                const std::string scenario = QuotedPath(item.ScenarioFileName);
                ini.WriteString(section, "SourceDirectory", source);
                ini.WriteString(section, "SourceScanSubDir", BoolToString(item.SourceScanSubDir));
                ini.WriteString(section, "TargetDirectory", target);
                ini.WriteString(section, "ScenarioFileName", scenario);
                // Optional and off by default: left out then, so such a project
                // file reads the same in a version without the setting.
                if (item.SkipUnchanged) ini.WriteString(section, kSkipUnchangedKey, BoolToString(true));
            } catch (const std::exception& e) {
                LogError(std::string(e.what()) + " Can't save item " + std::to_string(i));
                faulty = true;
            }
        }
        ini.UpdateFile();
        if (!RemoveBackupCopy(fileName)) faulty = true;
        if (faulty) {
            LogAppend(lmError, {{"Error(s)!", LogErrorColor}});
            return false;
        }
        LogAppend(lmInfo, {{"Complete.", LogTextColor}});
        return true;
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't save project!");
        return false;
    }
}

}  // namespace pm
