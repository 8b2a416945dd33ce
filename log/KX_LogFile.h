#pragma once
// Plain-text log file: one line per message, CR LF before every new message.
#include "log/LogTypes.h"

#include <string>

namespace pm {

class TKX_LogFile {
public:
    enum Status : int {
        lfsReady = 0,
        lfsNoDirectory = 6,
        lfsCannotDelete = 7,
        lfsCannotOpen = 8,
        lfsWriteFailed = 9,
    };

    // Failures are reported to `console` (may be null) and leave Enabled() false.
    TKX_LogFile(ILogConsole* console, bool timeStamp, bool overwrite, const std::string& fileName);
    ~TKX_LogFile();
    TKX_LogFile(const TKX_LogFile&) = delete;
    TKX_LogFile& operator=(const TKX_LogFile&) = delete;

    void Write(int kind, const TTextColorArray& segments, bool newMessage);

    bool Enabled() const { return enabled_; }
    // Whether any write failed since the file was opened, and what the
    // system said the first time.
    bool WriteEverFailed() const { return !firstWriteError_.empty(); }
    const std::string& FirstWriteError() const { return firstWriteError_; }
    int LogFileStatus() const { return status_; }
    const std::string& FileName() const { return fileName_; }

    static const char* KindPrefix(int kind);

private:
    void Report(const TTextColorArray& segments);
    void ReportFileError(const std::string& text, int error);

    ILogConsole* console_;
    std::string fileName_;
    bool enabled_ = false;
    bool timeStamp_;
    int status_ = lfsReady;
    int fd_ = -1;
    std::string firstWriteError_;
    bool failing_ = false;  // the last write failed and was reported
};

}  // namespace pm
