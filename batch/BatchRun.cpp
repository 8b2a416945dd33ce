#include "batch/BatchRun.h"

#include "batch/FindFiles.h"
#include "core/PM_Utils.h"
#include "log/WriteLog.h"
#include "tasks/PM__TLoadFromFile.h"

namespace pm {

TBatchRun::TBatchRun(std::vector<PrItemRec> items)
    : items_(std::move(items)), ctx_(std::make_unique<TRunContext>()) {}

TBatchRun::~TBatchRun() = default;

void TBatchRun::Progress(int position, const std::string& file) {
    position_ = position;
    if (OnProgress) OnProgress(position_, maximum_, file);
}

bool TBatchRun::RunItem(const PrItemRec& item) {
    TRunContext& ctx = *ctx_;
    ctx.CurrentProjectItem = &item;
    TTaskList entries;
    bool ok = true;
    try {
        if (!ReadScenario(ctx, item.ScenarioFileName, entries)) {
            ok = false;
        } else if (!GetTaskRecord(ctx, &entries, 0)) {
            ok = false;
        } else if (auto* load = dynamic_cast<TLoadFromFile*>(ctx.CurrentTaskRec->Task.get()); !load) {
            ok = false;
        } else {
            load->BuildExtensionLists(vsCurrent);
            std::vector<std::string> found;
            FindFiles(item.SourceDirectory, load->EnabledExtensions, found, item.SourceScanSubDir);
            filesFound_ += static_cast<int>(found.size());
            maximum_ = static_cast<int>(found.size()) - 1;
            const int last = static_cast<int>(entries.size()) - 1;
            for (int j = 0; j < static_cast<int>(found.size()); ++j) {
                const std::string& file = found[static_cast<std::size_t>(j)];
                Progress(j, file);
                if (OnProcessMessages) OnProcessMessages();
                ctx.CurrentSourceFile = file;
                // The runner has already logged why; the file still counts,
                // so a run with lost files does not end as complete.
                if (RunScenario(ctx, 0, last, &entries) == -1) ++filesFailed_;
            }
        }
    } catch (const std::exception& e) {
        LogError(e.what());
        ok = false;
    } catch (...) {
        ok = false;
    }
    // The tasks die with the entries; nothing may keep pointing at them.
    ctx.CurrentTaskRec = nullptr;
    ctx.CurrentTask = nullptr;
    return ok;
}

bool TBatchRun::Execute() {
    Progress(0, {});
    bool error = false;
    for (const PrItemRec& item : items_) {
        const int failedBefore = filesFailed_;
        if (!RunItem(item)) {
            ++itemsFailed_;
            error = true;
        }
        if (filesFailed_ != failedBefore) error = true;
    }
    if (error)
        LogNew(lmInfo, {{"Project error(s)!", LogErrorColor}});
    else
        LogNew(lmInfo, {{"Project complete.", LogTextColor}});
    Progress(0, {});
    return !error;
}

}  // namespace pm
