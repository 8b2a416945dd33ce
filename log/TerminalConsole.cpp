#include "log/TerminalConsole.h"

#include <unistd.h>

namespace pm {

TTerminalConsole::TTerminalConsole(std::FILE* out, ColorMode mode, bool errorsOnly)
    : out_(out), errorsOnly_(errorsOnly) {
    tty_ = ::isatty(::fileno(out_)) != 0;
    color_ = mode == ColorMode::Always || (mode == ColorMode::Auto && tty_);
}

TTerminalConsole::~TTerminalConsole() { Finish(); }

std::string TTerminalConsole::ColorCode(TColor c) const {
    if (c & clSystemColorBase) return "\033[0m";  // system colours: the terminal's own text colour
    switch (c & 0xFFFFFF) {
    case LogValueColor: return "\033[34m";
    case LogErrorColor: return "\033[31m";
    case LogDoneColor: return "\033[32m";
    default: {
        unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        return "\033[38;2;" + std::to_string(r) + ";" + std::to_string(g) + ";" + std::to_string(b) + "m";
    }
    }
}

void TTerminalConsole::Emit(const TTextColorArray& segments) {
    for (const TTextColor& s : segments) {
        // The log's line breaks are CR LF; a terminal wants LF.
        std::string text;
        text.reserve(s.Text.size());
        for (std::size_t i = 0; i < s.Text.size(); ++i) {
            if (s.Text[i] == '\r' && i + 1 < s.Text.size() && s.Text[i + 1] == '\n') continue;
            text += s.Text[i];
        }
        if (color_) {
            std::fputs(ColorCode(s.Color).c_str(), out_);
            std::fputs(text.c_str(), out_);
            std::fputs("\033[0m", out_);
        } else {
            std::fputs(text.c_str(), out_);
        }
    }
}

void TTerminalConsole::ClearStatus() {
    if (statusShown_) {
        std::fputs("\r\033[K", out_);
        statusShown_ = false;
    }
}

void TTerminalConsole::DrawStatus() {
    if (!tty_ || status_.empty()) return;
    if (lineOpen_) {
        // Keep the open message line intact: the status goes below it and is
        // removed before the line continues.
        return;
    }
    std::fputs(status_.c_str(), out_);
    statusShown_ = true;
}

void TTerminalConsole::FlushPendingQuiet() {
    if (!pending_.empty() && pendingIsError_) {
        // The error goes above the status line, which is drawn again below it.
        ClearStatus();
        Emit(pending_);
        std::fputc('\n', out_);
        DrawStatus();
        std::fflush(out_);
    }
    pending_.clear();
    pendingIsError_ = false;
}

static bool HasErrorColor(const TTextColorArray& segments) {
    for (const TTextColor& s : segments)
        if ((s.Color & 0xFFFFFF) == LogErrorColor && !(s.Color & clSystemColorBase)) return true;
    return false;
}

void TTerminalConsole::AddMessage(int kind, const TTextColorArray& segments) {
    std::lock_guard lock(mutex_);
    if (errorsOnly_) {
        FlushPendingQuiet();
        pending_ = segments;
        pendingIsError_ = kind == lmError || HasErrorColor(segments);
        return;
    }
    ClearStatus();
    if (lineOpen_) std::fputc('\n', out_);
    Emit(segments);
    lineOpen_ = true;
    std::fflush(out_);
}

void TTerminalConsole::AppendToLast(const TTextColorArray& segments) {
    std::lock_guard lock(mutex_);
    if (errorsOnly_) {
        pending_.insert(pending_.end(), segments.begin(), segments.end());
        if (HasErrorColor(segments)) pendingIsError_ = true;
        return;
    }
    ClearStatus();
    Emit(segments);
    lineOpen_ = true;
    std::fflush(out_);
}

void TTerminalConsole::Finish() {
    std::lock_guard lock(mutex_);
    if (errorsOnly_) FlushPendingQuiet();
    ClearStatus();
    if (lineOpen_) std::fputc('\n', out_);
    lineOpen_ = false;
    std::fflush(out_);
}

void TTerminalConsole::SetStatus(const std::string& text) {
    std::lock_guard lock(mutex_);
    status_ = text;
    if (!tty_) return;
    ClearStatus();
    if (lineOpen_) {
        std::fputc('\n', out_);
        lineOpen_ = false;
    }
    DrawStatus();
    std::fflush(out_);
}

}  // namespace pm
