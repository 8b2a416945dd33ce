#include "core/Config.h"

#include "core/INIObject.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/StringUtils.h"
#include "log/WriteLog.h"

#include <cstdlib>
#include <unistd.h>

namespace pm {

namespace {
constexpr const char* kSection = "Settings";
}

TConfig TConfig::Defaults(const std::string& programDir) {
    TConfig c;
    c.InitialDir = programDir;
    c.LogFileName = programDir + "pixmill.log";
    c.TestDirectory = programDir;
    return c;
}

std::string ConfigDirectory(const std::string& programDir) {
    if (::access(programDir.c_str(), W_OK) == 0) return programDir;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.config";
    else
        return programDir;
    return IncludeTrailingSeparator(base) + "pixmill/";
}

std::string ReadConfigString(const std::string& raw, bool present, const std::string& def) {
    return (!present || raw.empty()) ? def : raw;
}

bool ReadConfigBool(const std::string& raw, bool present, bool def) {
    if (!present || raw.empty()) return def;
    if (UpperCase(raw) == "YES") return true;
    return raw[0] == 'Y' || raw[0] == 'y';
}

int ReadConfigInt(const std::string& raw, bool present, int def, int min, int max) {
    int v = def;
    if (present) {
        std::string t = Trim(raw);
        // Plain signed decimal only.
        bool ok = !t.empty() && t[0] != '$';
        std::optional<std::int32_t> n = ok ? StrToIntStrict(t) : std::nullopt;
        v = n ? *n : def;
    }
    if (v < min || v > max) v = def;
    return v;
}

TConfig LoadConfiguration(const std::string& path, const std::string& programDir, int screenWidth,
                          int screenHeight) {
    TConfig c = TConfig::Defaults(programDir);
    if (!FileExists(path)) {
        WriteLog(lmWarning,
                 {{"Can't found configuration file \"", LogErrorColor},
                  {path, LogValueColor},
                  {"\". Loading default settings ...", LogErrorColor}},
                 false, true, true);
        return c;
    }
    WriteLog(lmInfo,
             {{"  + Loading settings from file \"", LogTextColor},
              {path, LogValueColor},
              {"\" ... ", LogTextColor}},
             false, true, true);
    try {
        TIniFile ini(path);
        auto raw = [&](const char* key, bool& present) {
            present = ini.ValueExists(kSection, key);
            return ini.ReadString(kSection, key, "");
        };
        bool p;
        std::string v;
        v = raw("InitialDir", p);
        c.InitialDir = ReadConfigString(v, p, programDir);
        if (!DirectoryExists(c.InitialDir)) c.InitialDir = programDir;
        v = raw("CreateLog", p);
        c.CreateLog = ReadConfigBool(v, p, true);
        v = raw("LogFileName", p);
        c.LogFileName = ReadConfigString(v, p, "pixmill.log");
        // A relative name is taken from the program directory.
        if (c.LogFileName.empty() || c.LogFileName[0] != kPathSeparator)
            c.LogFileName = programDir + c.LogFileName;
        v = raw("LogOverwrite", p);
        c.LogOverwrite = ReadConfigBool(v, p, true);
        v = raw("LogTimeStamp", p);
        c.LogTimeStamp = ReadConfigBool(v, p, true);
        v = raw("AllowChangeTaskType", p);
        c.AllowChangeTaskType = ReadConfigBool(v, p, false);
        v = raw("ColorFormat", p);
        c.ColorFormat = ReadConfigInt(v, p, 0, 0, 2);
        v = raw("TestDirectory", p);
        c.TestDirectory = ReadConfigString(v, p, programDir);
        v = raw("SynchronizeSrcDst", p);
        c.SynchronizeSrcDst = ReadConfigBool(v, p, true);
        v = raw("LogFormTop", p);
        c.LogFormTop = ReadConfigInt(v, p, 170, 0, screenHeight - 50);
        v = raw("LogFormLeft", p);
        c.LogFormLeft = ReadConfigInt(v, p, 150, 0, screenWidth - 50);
        v = raw("LogFormWidth", p);
        c.LogFormWidth = ReadConfigInt(v, p, 600, 0, screenWidth);
        v = raw("LogFormHeight", p);
        c.LogFormHeight = ReadConfigInt(v, p, 330, 0, screenHeight);
        v = raw("ShowLogForm", p);
        c.ShowLogForm = ReadConfigBool(v, p, true);
        v = raw("Jobs", p);
        c.Jobs = ReadConfigInt(v, p, 0, 0, kMaxConfigJobs);
        v = raw("MemoryLimitMB", p);
        c.MemoryLimitMB = ReadConfigInt(v, p, 0, 0, kMaxConfigMemoryLimitMB);
    } catch (const std::exception&) {
        // An unreadable file gives the defaults, like a missing one.
        return TConfig::Defaults(programDir);
    }
    WriteLog(lmInfo, {{"Complete", LogDoneColor}}, false, true, false);
    return c;
}

bool SaveConfiguration(const std::string& path, const TConfig& c) {
    LogNew(
        lmInfo,
        {{" - Saving settings to file \"", LogTextColor}, {path, LogValueColor}, {"\" ... ", LogTextColor}});
    try {
        TIniFile ini(path);
        auto str = [&](const char* key, const std::string& v) { ini.WriteString(kSection, key, Quoted(v)); };
        auto boolean = [&](const char* key, bool v) { ini.WriteString(kSection, key, v ? "Yes" : "No"); };
        auto integer = [&](const char* key, int v) { ini.WriteString(kSection, key, std::to_string(v)); };
        str("InitialDir", c.InitialDir);
        boolean("CreateLog", c.CreateLog);
        str("LogFileName", c.LogFileName);
        boolean("LogOverwrite", c.LogOverwrite);
        boolean("LogTimeStamp", c.LogTimeStamp);
        boolean("AllowChangeTaskType", c.AllowChangeTaskType);
        integer("ColorFormat", c.ColorFormat);
        str("TestDirectory", c.TestDirectory);
        boolean("SynchronizeSrcDst", c.SynchronizeSrcDst);
        integer("LogFormTop", c.LogFormTop);
        integer("LogFormLeft", c.LogFormLeft);
        integer("LogFormWidth", c.LogFormWidth);
        integer("LogFormHeight", c.LogFormHeight);
        boolean("ShowLogForm", c.ShowLogForm);
        integer("Jobs", c.Jobs);
        integer("MemoryLimitMB", c.MemoryLimitMB);
        ini.UpdateFile();
    } catch (const std::exception& e) {
        LogError(e.what());
        return false;
    }
    WriteLog(lmInfo, {{"Complete", LogDoneColor}}, false, true, false);
    return true;
}

}  // namespace pm
