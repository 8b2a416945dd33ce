#pragma once
// The scenario operations every caller shares: current-task references, the
// scenario file reader and the scenario runner.
#include "core/RunContext.h"
#include "core/Values.h"

#include <string>

namespace pm {

// CurrentTaskRec := the entry at index; logs and returns false when there is none.
bool GetTaskRecord(TRunContext& ctx, const TTaskList* list, int index);
// CurrentTask := CurrentTaskRec's task; logs and returns false when there is none.
bool GetBaseClass(TRunContext& ctx);

// Appends the tasks of a scenario file to `list` (which starts empty); the
// tasks get `ctx` as their context.
bool ReadScenario(TRunContext& ctx, const std::string& fileName, TTaskList& list);

// Runs CurrentTask.Execute(slot); elapsed milliseconds, or -1 on failure.
double RunTask(TRunContext& ctx, TValueSlot slot);
// Passes the general object's image through entries first..last; total
// milliseconds, or -1 on failure. Exceptions raised by a task pass through.
double RunScenario(TRunContext& ctx, int first, int last, const TTaskList* list);

}  // namespace pm
