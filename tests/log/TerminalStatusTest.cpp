#include "log/TerminalConsole.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace pm {
namespace {

// Everything the terminal side has received so far.
std::string Drain(int master) {
    std::string out;
    char buf[1024];
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

// With errors only, an error must not be written onto the progress line.
TEST(TerminalConsoleStatus, ErrorsOnlyKeepsTheStatusLineApart) {
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* out = ::fdopen(slave, "w");
    ASSERT_NE(out, nullptr);
    {
        TTerminalConsole console(out, TTerminalConsole::ColorMode::Never, true);
        console.SetStatus("[0/2] a.jpg");
        console.AddMessage(lmError, {{"Can't load image", LogErrorColor}});
        console.AddMessage(lmInfo, {{"Processing source image ... ", LogTextColor}});  // ends the error
        console.SetStatus({});
    }
    const std::string seen = Drain(master);
    std::fclose(out);
    ::close(master);
    EXPECT_NE(seen.find("[0/2] a.jpg\r\033[KCan't load image\r\n[0/2] a.jpg"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("Processing"), std::string::npos);
}

}  // namespace
}  // namespace pm
