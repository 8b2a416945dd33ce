#include "cli/RunReport.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace pm {

namespace {

// Length of the UTF-8 sequence at `i`, 0 when it is not a valid one.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size() || (n == 2 && c < 0xC2)) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return 0;
    return n;
}

const char* StatusName(TBatchRun::TFileStatus status) {
    switch (status) {
    case TBatchRun::TFileStatus::Done:
        return "done";
    case TBatchRun::TFileStatus::Skipped:
        return "skipped";
    case TBatchRun::TFileStatus::Planned:
        return "planned";
    default:
        return "failed";
    }
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        // Plain printable ASCII goes over as it is, in one piece.
        std::size_t plain = i;
        while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7f && text[plain] != '"' &&
               text[plain] != '\\')
            ++plain;
        out.append(text, i, plain - i);
        i = plain;
        if (i >= text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

TRunReport::~TRunReport() {
    if (fd_ >= 0) ::close(fd_);
}

bool TRunReport::Open(const std::string& fileName) {
    fd_ = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0666);
    return fd_ >= 0;
}

void TRunReport::Line(const std::string& json) {
    if (fd_ < 0) return;
    const std::string line = json + "\n";
    std::size_t at = 0;
    while (at < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + at, line.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed_ = true;
            return;
        }
        at += static_cast<std::size_t>(n);
    }
}

void TRunReport::File(const TBatchRun::TFileDone& done) {
    ++total_;
    switch (done.Status) {
    case TBatchRun::TFileStatus::Done:
        ++done_;
        break;
    case TBatchRun::TFileStatus::Skipped:
        ++skipped_;
        break;
    case TBatchRun::TFileStatus::Planned:
        ++planned_;
        break;
    default:
        ++failed_files_;
    }
    const std::string result = done.Results.empty() ? "null" : JsonString(done.Results.front());
    Line("{\"source\":" + JsonString(done.File) + ",\"result\":" + result + ",\"status\":\"" +
         StatusName(done.Status) + "\",\"reason\":" + JsonString(done.Reason) +
         ",\"ms\":" + std::to_string(std::llround(done.Milliseconds)) + "}");
}

bool TRunReport::Close(double milliseconds) {
    if (fd_ < 0) return !failed_;
    std::string totals = "{\"total\":" + std::to_string(total_) + ",\"done\":" + std::to_string(done_) +
                         ",\"failed\":" + std::to_string(failed_files_) +
                         ",\"skipped\":" + std::to_string(skipped_);
    if (planned_ > 0) totals += ",\"planned\":" + std::to_string(planned_);
    Line(totals + ",\"ms\":" + std::to_string(std::llround(milliseconds)) + "}");
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

}  // namespace pm
