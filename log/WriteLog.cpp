#include "log/WriteLog.h"

#include "log/KX_LogFile.h"
#include "log/SafeText.h"

#include <mutex>

namespace pm {

namespace {
std::recursive_mutex g_mutex;
ILogConsole* g_console = nullptr;
std::unique_ptr<TKX_LogFile> g_file;
thread_local TLogCapture* t_capture = nullptr;

void SendToSinks(int kind, const TTextColorArray& segments, bool toFile, bool toConsole, bool newMessage) {
    std::lock_guard lock(g_mutex);
    if (toConsole && g_console) {
        if (newMessage)
            g_console->AddMessage(kind, segments);
        else
            g_console->AppendToLast(segments);
        g_console->SelectLast();
    }
    if (toFile && g_file && g_file->Enabled()) g_file->Write(kind, segments, newMessage);
}
}  // namespace

void WriteLog(int kind, const TTextColorArray& segments, bool toFile, bool toConsole, bool newMessage) {
    // Messages carry file names and values from files; none of them may
    // start a line of its own or reach the terminal as a control sequence.
    TTextColorArray safe;
    safe.reserve(segments.size());
    for (const TTextColor& s : segments) safe.push_back({EscapeControls(s.Text), s.Color});
    if (TLogCapture* capture = t_capture; capture && capture->active_) {
        capture->entries_.push_back({kind, std::move(safe), toFile, toConsole, newMessage});
        return;
    }
    SendToSinks(kind, safe, toFile, toConsole, newMessage);
}

void LogError(const std::string& text) {
    LogNew(lmError, {{text, LogErrorColor}});
}

void SetLogConsole(ILogConsole* console) {
    std::lock_guard lock(g_mutex);
    g_console = console;
}

ILogConsole* GetLogConsole() {
    std::lock_guard lock(g_mutex);
    return g_console;
}

void SetLogFile(std::unique_ptr<TKX_LogFile> file) {
    std::lock_guard lock(g_mutex);
    g_file = std::move(file);
}

bool LogFileActive() {
    std::lock_guard lock(g_mutex);
    return g_file && g_file->Enabled();
}

std::string LogFileWriteError() {
    std::lock_guard lock(g_mutex);
    return g_file ? g_file->FirstWriteError() : std::string();
}

void CloseLogFile() {
    if (!LogFileActive()) return;
    WriteLog(lmInfo, {{" - Closing log-file ...", LogTextColor}}, true, true, true);
    std::lock_guard lock(g_mutex);
    g_file.reset();
}

TLogCapture::TLogCapture() : previous_(t_capture) {
    t_capture = this;
}

TLogCapture::~TLogCapture() {
    if (t_capture == this) t_capture = previous_;
}

std::vector<TLogCapture::Entry> TLogCapture::Take() {
    if (t_capture == this) t_capture = previous_;
    active_ = false;
    return std::move(entries_);
}

void TLogCapture::Replay(const std::vector<Entry>& entries) {
    // Replayed under a capture of its own, the block is kept like any other
    // message of this thread.
    if (TLogCapture* capture = t_capture; capture && capture->active_) {
        capture->entries_.insert(capture->entries_.end(), entries.begin(), entries.end());
        return;
    }
    std::lock_guard lock(g_mutex);
    for (const Entry& e : entries) SendToSinks(e.Kind, e.Segments, e.ToFile, e.ToConsole, e.NewMessage);
}

}  // namespace pm
