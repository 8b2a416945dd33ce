#pragma once
// Watching the source folders of a project: after a first run over
// everything, each new or changed file is handed on once it has stopped
// growing. Events from inotify wake the watch at once; a periodic full look
// catches what the events miss (network folders, too many folders).
#include "batch/RunState.h"
#include "core/RunContext.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pm {

struct TWatchOptions {
    // A file whose size and time stayed the same this long is complete,
    // unless it is still open for writing: then it waits for its writer to
    // close it, or for OpenWait without a change (a writer that never does).
    std::chrono::milliseconds Settle{2000};
    std::chrono::milliseconds OpenWait{60000};
    // A full look at the folders without any event.
    std::chrono::milliseconds Rescan{30000};
    // How often a stop request and files still settling are looked at.
    std::chrono::milliseconds Tick{200};
    // Off: the periodic look alone (as where inotify is not available).
    bool Events = true;
};

class TFolderWatch {
public:
    TFolderWatch(std::vector<PrItemRec> items, TWatchOptions options);
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    // Calls `runBatch(nullptr)` for all files, then `runBatch(&files)` with
    // each set of changed files that settled, until `stop` is set; a batch
    // in progress is the caller's to stop.
    using TRunBatch = std::function<void(const std::set<std::string>* files)>;
    void Run(const TRunBatch& runBatch, const std::atomic<bool>& stop);

private:
    std::map<std::string, TFileStamp> Scan();
    void WatchFolders();
    bool WaitForEvents(std::chrono::milliseconds timeout);

    std::vector<PrItemRec> items_;
    TWatchOptions options_;
    int inotify_ = -1;
    std::set<std::string> watched_;
    std::map<int, std::string> folders_;  // watch descriptor -> folder
    // Files written to and not closed yet, as far as the events tell: such a
    // file is still being copied in, however long it has not grown.
    std::set<std::string> writing_;
};

}  // namespace pm
