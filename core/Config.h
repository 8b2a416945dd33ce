#pragma once
// The program's own configuration, "pixmill.ini", section "Settings": read
// once at start-up and written once at exit.
#include <string>

namespace pm {

// The largest worker count the configuration keeps.
inline constexpr int kMaxConfigJobs = 1024;
// The largest memory budget the configuration keeps, in MiB (16 TiB).
inline constexpr int kMaxConfigMemoryLimitMB = 16 << 20;

struct TConfig {
    std::string InitialDir;
    bool CreateLog = true;
    std::string LogFileName;
    bool LogOverwrite = true;
    bool LogTimeStamp = true;
    bool AllowChangeTaskType = false;
    int ColorFormat = 0;  // 0 "Default", 1 "HTML colors", 2 "RGB colors"
    std::string TestDirectory;
    bool SynchronizeSrcDst = true;
    int LogFormTop = 170;
    int LogFormLeft = 150;
    int LogFormWidth = 600;
    int LogFormHeight = 330;
    bool ShowLogForm = true;
    // Number of worker threads for batch runs; 0 means one per core.
    int Jobs = 0;
    // Memory the workers of a run may hold for pictures, in MiB; 0 means half
    // the memory available when the run starts.
    int MemoryLimitMB = 0;

    // Defaults relative to the program directory (ending in a separator).
    static TConfig Defaults(const std::string& programDir);
};

// Where the configuration lives: the program directory when it is writable,
// else the user's configuration directory ($XDG_CONFIG_HOME/pixmill or
// ~/.config/pixmill). Ends with a separator.
std::string ConfigDirectory(const std::string& programDir);

// Reads `path` when it exists (logging as at start-up), else logs the
// warning and returns the defaults. Screen size bounds the log window keys.
TConfig LoadConfiguration(const std::string& path, const std::string& programDir, int screenWidth,
                          int screenHeight);
// Writes every key in order; false when the file cannot be written.
bool SaveConfiguration(const std::string& path, const TConfig& config);

// The individual read rules, shared with tests.
std::string ReadConfigString(const std::string& raw, bool present, const std::string& def);
bool ReadConfigBool(const std::string& raw, bool present, bool def);
int ReadConfigInt(const std::string& raw, bool present, int def, int min, int max);

}  // namespace pm
