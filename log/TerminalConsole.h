#pragma once
// Console sink for a terminal: one line per message, continuations complete
// the same line; ANSI colours when the stream is a terminal.
#include "log/LogTypes.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace pm {

class TTerminalConsole : public ILogConsole {
public:
    enum class ColorMode { Auto, Always, Never };
    explicit TTerminalConsole(std::FILE* out = stdout, ColorMode mode = ColorMode::Auto, bool errorsOnly = false);
    ~TTerminalConsole() override;

    void AddMessage(int kind, const TTextColorArray& segments) override;
    void AppendToLast(const TTextColorArray& segments) override;
    void SelectLast() override {}

    // Ends the open line. Called before other output to the same stream and
    // at exit.
    void Finish();

    // A transient status line (for example batch progress), shown below the
    // log on a terminal and redrawn after every message; empty hides it.
    void SetStatus(const std::string& text);

    bool UsesColor() const { return color_; }

private:
    void Emit(const TTextColorArray& segments);
    void FlushPendingQuiet();
    void ClearStatus();
    void DrawStatus();
    std::string ColorCode(TColor c) const;

    std::FILE* out_;
    bool color_;
    bool tty_;
    bool errorsOnly_;
    bool lineOpen_ = false;
    // errors-only mode: the current message is held until it is complete.
    bool pendingIsError_ = false;
    TTextColorArray pending_;
    std::string status_;
    bool statusShown_ = false;
    std::recursive_mutex mutex_;
};

}  // namespace pm
