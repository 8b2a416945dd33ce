#include "batch/RunProgress.h"

#include <cmath>
#include <cstdio>

namespace pm {

namespace {

std::string Duration(double seconds) {
    const long long s = std::llround(seconds);
    char buf[48];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    return buf;
}

}  // namespace

std::string ProgressText(const TProgressCounts& c) {
    const int processed = c.Done + c.Failed;
    const double rate = processed > 0 && c.Seconds > 0 ? processed / c.Seconds : 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", rate);
    std::string text = std::to_string(c.Done) + " done, " + std::to_string(c.Failed) + " failed, " +
                       std::to_string(c.Skipped) + " skipped, " + buf + " files/s, ";
    text += rate > 0 ? Duration(c.Left / rate) : std::string("--:--");
    return text + " left";
}

}  // namespace pm
