#pragma once
// The single logging entry point. Safe to call from several threads.
#include "log/LogTypes.h"

#include <functional>
#include <memory>

namespace pm {

class TKX_LogFile;

void WriteLog(int kind, const TTextColorArray& segments, bool toFile, bool toConsole, bool newMessage);

// Convenience forms used throughout: a new message, or a continuation of the
// newest one, to both sinks.
inline void LogNew(int kind, const TTextColorArray& segments) {
    WriteLog(kind, segments, true, true, true);
}
inline void LogAppend(int kind, const TTextColorArray& segments) {
    WriteLog(kind, segments, true, true, false);
}
// A single-segment lmError message in LogErrorColor, the usual failure report.
void LogError(const std::string& text);

// Sinks. The console is not owned; the log file is.
void SetLogConsole(ILogConsole* console);
ILogConsole* GetLogConsole();
void SetLogFile(std::unique_ptr<TKX_LogFile> file);
bool LogFileActive();
// What the system said when a write to the log file first failed; empty
// while every write went through (or there is no log file).
std::string LogFileWriteError();
// Closes the log file (" - Closing log-file ..." first, as at program exit).
void CloseLogFile();

// While an object of this class lives, WriteLog calls made on the creating
// thread are kept in memory instead of reaching the sinks. Replay() sends
// them to the sinks in their original order. Used to keep the messages of
// one file together when files are processed in parallel.
class TLogCapture {
public:
    TLogCapture();
    ~TLogCapture();
    TLogCapture(const TLogCapture&) = delete;
    TLogCapture& operator=(const TLogCapture&) = delete;

    struct Entry {
        int Kind;
        TTextColorArray Segments;
        bool ToFile, ToConsole, NewMessage;
    };
    // Stop capturing (if still capturing) and hand out what was kept.
    std::vector<Entry> Take();
    // Sends `entries` to the sinks as one block (no other thread's message
    // comes in between), or to this thread's own capture when one is active.
    static void Replay(const std::vector<Entry>& entries);

private:
    std::vector<Entry> entries_;
    TLogCapture* previous_;
    bool active_ = true;
    friend void WriteLog(int, const TTextColorArray&, bool, bool, bool);
};

}  // namespace pm
