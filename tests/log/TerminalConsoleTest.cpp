#include "log/TerminalConsole.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace pm {
namespace {

// Runs `write` against a console over a temporary stream and returns the
// stream's text once the console has finished.
template <typename F> std::string Output(TTerminalConsole::ColorMode mode, bool errorsOnly, F write) {
    std::FILE* f = std::tmpfile();
    {
        TTerminalConsole console(f, mode, errorsOnly);
        write(console);
    }
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

TEST(TTerminalConsole, ContinuationCompletesTheLine) {
    std::string out = Output(TTerminalConsole::ColorMode::Never, false, [](TTerminalConsole& c) {
        c.AddMessage(lmInfo,
                     {{"Loading \"", LogTextColor}, {"a.jpg", LogValueColor}, {"\" ... ", LogTextColor}});
        c.AppendToLast({{"Complete", LogDoneColor}});
        c.AddMessage(lmError, {{"two\r\nlines", LogErrorColor}});
        c.AddMessage(lmInfo, {{"last", LogTextColor}});
    });
    EXPECT_EQ(out, "Loading \"a.jpg\" ... Complete\ntwo\nlines\nlast\n");
}

TEST(TTerminalConsole, ColoursOnlyWhenAsked) {
    std::string out = Output(TTerminalConsole::ColorMode::Always, false, [](TTerminalConsole& c) {
        c.AddMessage(lmInfo, {{"file ", LogTextColor}, {"a", LogValueColor}});
    });
    EXPECT_NE(out.find("\033[34ma\033[0m"), std::string::npos) << out;
}

TEST(TTerminalConsole, ErrorsOnlyShowsWholeFailedMessages) {
    std::string out = Output(TTerminalConsole::ColorMode::Never, true, [](TTerminalConsole& c) {
        c.AddMessage(lmInfo, {{"Loading a ... ", LogTextColor}});
        c.AppendToLast({{"Complete", LogDoneColor}});
        c.AddMessage(lmInfo, {{"Loading b ... ", LogTextColor}});
        c.AppendToLast({{"Failed!", LogErrorColor}});
        c.AddMessage(lmInfo, {{"Progress", LogTextColor}});
        c.AddMessage(lmError, {{"Can't load image", LogErrorColor}});
    });
    EXPECT_EQ(out, "Loading b ... Failed!\nCan't load image\n");
}

} // namespace
} // namespace pm
