#include "batch/FolderWatch.h"

#include "batch/BatchRun.h"
#include "batch/FindFiles.h"
#include "core/Paths.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pm {

namespace {

using TClock = std::chrono::steady_clock;

// The folders below `dir` a scan enters: real folders, no dot names, not
// the results folder, not deeper than a scan goes.
void CollectFolders(const std::string& dir, const TScanOptions& options, int depth,
                    std::vector<std::string>& out) {
    out.push_back(dir);
    if (!options.Recurse || depth >= kMaxScanDepth) return;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> subdirs;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') continue;
        const std::string path = dir + e->d_name + "/";
        struct stat st {};
        if (::lstat(path.substr(0, path.size() - 1).c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            path != options.Exclude)
            subdirs.push_back(path);
    }
    ::closedir(d);
    for (const std::string& sub : subdirs) CollectFolders(sub, options, depth + 1, out);
}

// Whether a process has `file` open for writing, where the system can tell:
// a read lease is refused with EAGAIN exactly then. Leases need a local file
// of our own; elsewhere the answer is no and the settle time alone decides.
bool OpenForWriting(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    // Someone opening the file while we hold the lease would make the
    // system signal us: SIGURG, which is ignored unless handled.
    ::fcntl(fd, F_SETSIG, SIGURG);
    bool writing = false;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    else
        writing = errno == EAGAIN;
    ::close(fd);
    return writing;
}

}  // namespace

TFolderWatch::TFolderWatch(std::vector<PrItemRec> items, TWatchOptions options)
    : items_(std::move(items)), options_(options),
      inotify_(options.Events ? ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC) : -1) {
    // The same names as the run's, so that the files handed on match its list.
    for (PrItemRec& item : items_) {
        item.SourceDirectory = AbsoluteNormalDirectory(item.SourceDirectory);
        item.TargetDirectory = AbsoluteNormalDirectory(item.TargetDirectory);
    }
}

TFolderWatch::~TFolderWatch() {
    if (inotify_ >= 0) ::close(inotify_);
}

std::map<std::string, TFileStamp> TFolderWatch::Scan() {
    std::map<std::string, TFileStamp> files;
    for (const PrItemRec& item : items_)
        ScanTree(item.SourceDirectory, TBatchRun::ScanOptionsFor(item, false),
                 [&files](const std::string& file) {
                     TFileStamp stamp;
                     if (StampOf(file, stamp)) files[file] = stamp;
                 });
    return files;
}

// Adds a watch to every folder not watched yet; folders made since the last
// look are found by the event on their parent.
void TFolderWatch::WatchFolders() {
    if (inotify_ < 0) return;
    std::vector<std::string> folders;
    for (const PrItemRec& item : items_)
        CollectFolders(item.SourceDirectory, TBatchRun::ScanOptionsFor(item, false), 0, folders);
    constexpr std::uint32_t kEvents =
        IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
    for (const std::string& folder : folders) {
        if (watched_.count(folder)) continue;
        const int wd = ::inotify_add_watch(inotify_, folder.c_str(), kEvents);
        if (wd < 0) continue;
        watched_.insert(folder);
        folders_[wd] = folder;
    }
}

// True when an event came; the events themselves only say "look again".
bool TFolderWatch::WaitForEvents(std::chrono::milliseconds timeout) {
    if (inotify_ < 0) {
        ::usleep(static_cast<useconds_t>(timeout.count()) * 1000);
        return false;
    }
    pollfd p{inotify_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return false;
    alignas(inotify_event) char buf[16384];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(inotify_, buf, sizeof buf);
        if (n <= 0) break;
        any = true;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buf + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto folder = folders_.find(event->wd);
            if (event->len == 0 || folder == folders_.end()) continue;
            const std::string file = folder->second + event->name;
            if (event->mask & IN_MODIFY) writing_.insert(file);
            if (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE))
                writing_.erase(file);
        }
    }
    return any;
}

void TFolderWatch::Run(const TRunBatch& runBatch, const std::atomic<bool>& stop) {
    WatchFolders();
    // Files as they were handed on (or found before the first run).
    std::map<std::string, TFileStamp> known = Scan();
    runBatch(nullptr);
    struct TPending {
        TFileStamp Stamp;
        TClock::time_point Since;
    };
    std::map<std::string, TPending> pending;
    bool look = true;  // files may have come during the first run
    TClock::time_point lastLook = TClock::now();
    while (!stop.load()) {
        if (WaitForEvents(options_.Tick)) look = true;
        if (stop.load()) break;
        const TClock::time_point now = TClock::now();
        if (!look && pending.empty() && now - lastLook < options_.Rescan) continue;
        if (look) WatchFolders();
        look = false;
        lastLook = now;
        const std::map<std::string, TFileStamp> current = Scan();
        std::erase_if(known, [&](const auto& k) { return !current.count(k.first); });
        std::erase_if(pending, [&](const auto& p) { return !current.count(p.first); });
        std::set<std::string> ready;
        for (const auto& [file, stamp] : current) {
            const auto k = known.find(file);
            if (k != known.end() && k->second == stamp) {
                pending.erase(file);
                continue;
            }
            auto [p, isNew] = pending.try_emplace(file, TPending{stamp, now});
            if (!isNew && !(p->second.Stamp == stamp))
                p->second = {stamp, now};
            else if (now - p->second.Since >= options_.Settle &&
                     (now - p->second.Since >= options_.OpenWait ||
                      (!writing_.count(file) && !OpenForWriting(file))))
                ready.insert(file);
        }
        if (ready.empty()) continue;
        for (const std::string& file : ready) {
            known[file] = pending[file].Stamp;
            pending.erase(file);
        }
        runBatch(&ready);
    }
}

}  // namespace pm
