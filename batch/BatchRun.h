#pragma once
// One run of a project: every item in order, every found file of an item
// through the item's own scenario.
#include "core/RunContext.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pm {

class TBatchRun {
public:
    // The run works on its own copy of the items and reads its own scenario
    // per item, so changes to the open project or scenario while it runs
    // (the window stays usable between files) cannot disturb it.
    explicit TBatchRun(std::vector<PrItemRec> items);
    ~TBatchRun();
    TBatchRun(const TBatchRun&) = delete;
    TBatchRun& operator=(const TBatchRun&) = delete;

    // Progress of the current item: `position` is the index of the file about
    // to be processed, `maximum` the number of found files minus one. At the
    // start and at the end the position is 0 and the file empty.
    std::function<void(int position, int maximum, const std::string& file)> OnProgress;
    // Called before each file so that the caller can let pending work run.
    std::function<void()> OnProcessMessages;

    // Runs every item and logs "Project complete." or "Project error(s)!";
    // true for the first. A file whose scenario run fails counts as an error.
    bool Execute();

    // After the run the context keeps the last item, the last file and the
    // general object with the last image.
    TRunContext& Context() { return *ctx_; }
    const std::vector<PrItemRec>& Items() const { return items_; }

    int ProgressPosition() const { return position_; }
    int ProgressMaximum() const { return maximum_; }
    int FilesFound() const { return filesFound_; }
    int FilesFailed() const { return filesFailed_; }
    int ItemsFailed() const { return itemsFailed_; }

private:
    bool RunItem(const PrItemRec& item);
    void Progress(int position, const std::string& file);

    std::vector<PrItemRec> items_;
    std::unique_ptr<TRunContext> ctx_;
    int position_ = 0;
    int maximum_ = 0;
    int filesFound_ = 0;
    int filesFailed_ = 0;
    int itemsFailed_ = 0;
};

}  // namespace pm
