#include "tasks/FileDate.h"

#include "decoders/PictureFacts.h"

#include <ctime>
#include <fstream>
#include <vector>

#include <sys/stat.h>

namespace pm {

namespace {

// "YYYY:MM:DD HH:MM:SS" as EXIF writes it.
bool ParseExifDate(const std::string& s, std::tm& t) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    if (std::sscanf(s.c_str(), "%4d:%2d:%2d %2d:%2d:%2d", &y, &mo, &d, &h, &mi, &se) < 3) return false;
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31) return false;
    t = {};
    t.tm_year = y - 1900, t.tm_mon = mo - 1, t.tm_mday = d, t.tm_hour = h, t.tm_min = mi, t.tm_sec = se;
    return true;
}

}  // namespace

std::string DateOfFile(const std::string& fileName, const std::string& format) {
    // EXIF lies near the start of the files that carry it.
    std::ifstream in(fileName, std::ios::binary);
    std::vector<std::uint8_t> head(1 << 20);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    std::tm when{};
    bool known = !head.empty() && ParseExifDate(ReadPictureFacts(head.data(), head.size()).DateTaken, when);
    if (!known) {
        struct stat st {};
        if (::stat(fileName.c_str(), &st) != 0) return {};
        const std::time_t t = st.st_mtime;
        known = localtime_r(&t, &when) != nullptr;
    }
    char buffer[256];
    const std::size_t n =
        known && !format.empty() ? std::strftime(buffer, sizeof buffer, format.c_str(), &when) : 0;
    return std::string(buffer, n);
}

}  // namespace pm
