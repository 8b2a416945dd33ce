#include "log/KX_LogFile.h"

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "log/SafeText.h"

namespace pm {

namespace fs = std::filesystem;

namespace {
// Date in the locale's short form and time in its long form.
std::string NowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[128];
    std::size_t n = std::strftime(buf, sizeof buf, "%x %X", &tm);
    return std::string(buf, n);
}
}  // namespace

const char* TKX_LogFile::KindPrefix(int kind) {
    switch (kind) {
    case lmInfo:
        return "(i) ";
    case lmQuestion:
        return "(q) ";
    case lmWarning:
        return "(w) ";
    case lmError:
        return "(e) ";
    default:
        return "";
    }
}

TKX_LogFile::TKX_LogFile(ILogConsole* console, bool timeStamp, bool overwrite, const std::string& fileName)
    : console_(console), fileName_(fileName), timeStamp_(timeStamp) {
    try {
        fs::path dir = fs::path(fileName).parent_path();
        std::error_code ec;
        if (!dir.empty() && !fs::is_directory(dir, ec)) {
            fs::create_directories(dir, ec);
            if (!fs::is_directory(dir, ec)) {
                Report({{"Can't create directory for log-file \"", LogErrorColor},
                        {dir.string(), LogValueColor},
                        {"\"!", LogErrorColor}});
                status_ = lfsNoDirectory;
            }
        }
        if (status_ == lfsReady) {
            // Only an old log (a file or a link) is removed: a device or fifo
            // named as the log is written to, never deleted, and a folder
            // is never a log.
            const fs::file_status old = fs::symlink_status(fileName, ec);
            const bool replaceable = fs::is_regular_file(old) || fs::is_symlink(old);
            if (overwrite && fs::exists(old) &&
                (fs::is_directory(old) || (replaceable && (!fs::remove(fileName, ec) || ec)))) {
                Report({{"Can't delete old log-file \"", LogErrorColor},
                        {fileName, LogValueColor},
                        {"\"!", LogErrorColor}});
                status_ = lfsCannotDelete;
            }
            if (status_ == lfsReady) {
                fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
                if (fd_ >= 0) ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
                if (fd_ < 0) {
                    Report({{"Can't create new log-file \"", LogErrorColor},
                            {fileName, LogValueColor},
                            {"\"!", LogErrorColor}});
                    status_ = lfsCannotOpen;
                }
            }
        }
    } catch (const std::exception& e) {
        Report({{e.what(), LogErrorColor}});
        if (status_ == lfsReady) status_ = lfsCannotOpen;
    }
    if (status_ == lfsReady) {
        enabled_ = true;
    } else if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

TKX_LogFile::~TKX_LogFile() {
    if (fd_ >= 0) ::close(fd_);
}

void TKX_LogFile::Report(const TTextColorArray& segments) {
    if (!console_) return;
    TTextColorArray safe;
    for (const TTextColor& s : segments) safe.push_back({EscapeControls(s.Text), s.Color});
    console_->AddMessage(lmError, safe);
    console_->SelectLast();
}

// A full disk fails every later write too: the console hears of it when the
// file stops taking messages, not once per message.
void TKX_LogFile::ReportFileError(const std::string& text, int error) {
    if (firstWriteError_.empty()) firstWriteError_ = error != 0 ? std::strerror(error) : "short write";
    if (failing_) return;
    failing_ = true;
    Report({{text, LogErrorColor}, {fileName_, LogValueColor}, {"\"!", LogTextColor}});
}

void TKX_LogFile::Write(int kind, const TTextColorArray& segments, bool newMessage) {
    if (!enabled_ || fd_ < 0 || segments.empty()) return;
    status_ = lfsWriteFailed;
    std::string text;
    try {
        for (const TTextColor& s : segments) text += s.Text;
        if (newMessage) {
            std::string head = KindPrefix(kind);
            if (timeStamp_) head = NowText() + " " + head;
            text = "\r\n" + head + text;
        }
    } catch (const std::exception&) {
        Report({{"Can't prepare data for saving to log-file \"", LogErrorColor},
                {fileName_, LogValueColor},
                {"\"!", LogTextColor}});
        return;
    }
    if (::lseek(fd_, 0, SEEK_END) < 0) {
        ReportFileError("Can't seek inside log-file \"", errno);
        return;
    }
    ssize_t written = ::write(fd_, text.data(), text.size());
    if (written < 0) {
        ReportFileError("Can't write data into log-file \"", errno);
        return;
    }
    if (static_cast<std::size_t>(written) != text.size()) {
        ReportFileError("Strange... Not all data correctly saved inside log-file \"", 0);
        return;
    }
    status_ = lfsReady;
    failing_ = false;
}

}  // namespace pm
