#include "core/TempNames.h"

#include "core/StringUtils.h"

#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pm {

namespace {

constexpr char kPrefix[] = ".pixmill-";
constexpr char kSuffix[] = ".tmp";

std::uint32_t HostHash() {
    static const std::uint32_t hash = [] {
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        const std::uint64_t h = Fnv1a64(host);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }();
    return hash;
}

struct TParsedName {
    std::uint32_t Host = 0;
    long Pid = 0;
};

bool ParseTemporaryName(const std::string& name, TParsedName& out) {
    const std::size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
    if (name.size() < prefix + suffix + 12 || name.compare(0, prefix, kPrefix) != 0 ||
        name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return false;
    unsigned host = 0;
    long pid = 0;
    char random[16] = {};
    int used = 0;
    const std::string body = name.substr(prefix, name.size() - prefix - suffix);
    if (std::sscanf(body.c_str(), "%8x-%ld-%6[a-z0-9]%n", &host, &pid, random, &used) != 3 ||
        static_cast<std::size_t>(used) != body.size() || pid <= 0)
        return false;
    out = {host, pid};
    return true;
}

// Seconds since the epoch at which process `pid` started; 0 when unknown.
double ProcessStartTime(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses; fields follow the last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) ticks = std::strtoull(field.c_str(), nullptr, 10);
    std::ifstream procStat("/proc/stat");
    std::string key;
    double bootTime = 0;
    while (procStat >> key)
        if (key == "btime") {
            procStat >> bootTime;
            break;
        }
    const long hz = ::sysconf(_SC_CLK_TCK);
    if (ticks == 0 || bootTime == 0 || hz <= 0) return 0;
    return bootTime + static_cast<double>(ticks) / static_cast<double>(hz);
}

}  // namespace

std::string NewTemporaryName() {
    thread_local std::mt19937_64 random{std::random_device{}() ^
                                        (static_cast<std::uint64_t>(::getpid()) << 32)};
    static constexpr char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string part(6, 'a');
    for (char& c : part) c = digits[random() % (sizeof digits - 1)];
    char head[64];
    std::snprintf(head, sizeof head, "%s%08" PRIx32 "-%ld-", kPrefix, HostHash(),
                  static_cast<long>(::getpid()));
    return head + part + kSuffix;
}

bool IsStaleTemporary(const std::string& folder, const std::string& name) {
    TParsedName parsed;
    if (!ParseTemporaryName(name, parsed) || parsed.Host != HostHash() || parsed.Pid == ::getpid())
        return false;
    const std::string path = (folder.empty() || folder.back() == '/' ? folder : folder + "/") + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (::kill(static_cast<pid_t>(parsed.Pid), 0) != 0) return errno == ESRCH;
    // The id is in use: stale only when that process is younger than the
    // file, so it cannot be the writer. A second's margin for clock steps.
    const double started = ProcessStartTime(parsed.Pid);
    const double written = static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec * 1e-9;
    return started > 0 && started > written + 1.0;
}

void SweepStaleTemporariesOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    const std::string key = folder.empty() ? "." : folder;
    {
        std::lock_guard lock(mutex);
        if (!swept.insert(key).second) return;
    }
    DIR* dir = ::opendir(key.c_str());
    if (!dir) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.rfind(kPrefix, 0) == 0 && IsStaleTemporary(key, name)) stale.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : stale) ::unlink(((key.back() == '/' ? key : key + "/") + name).c_str());
}

}  // namespace pm
