#pragma once
// The scenario operations every caller shares: looking up an entry and its
// task, the scenario file reader and the scenario runner.
#include "core/RunContext.h"
#include "core/Values.h"

#include <string>

namespace pm {

// The entry at index; logs and gives nullptr when there is none.
TaskRec* GetTaskRecord(const TTaskList* list, int index);
// The entry's task; logs and gives nullptr when there is none.
TBaseClass* GetBaseClass(const TaskRec* rec);
// Both in turn: the task of the entry at index, or nullptr once the first
// failing look-up has logged.
TBaseClass* GetEntryTask(const TTaskList* list, int index);

// Appends the tasks of a scenario file to `list` (which starts empty); the
// tasks get `ctx` as their context.
bool ReadScenario(TRunContext& ctx, const std::string& fileName, TTaskList& list);

// Runs task->Execute(slot); elapsed milliseconds, or -1 on failure.
double RunTask(TBaseClass* task, TValueSlot slot);
// Passes the general object's image through entries first..last; total
// milliseconds, or -1 on failure. Exceptions raised by a task pass through.
double RunScenario(TRunContext& ctx, int first, int last, const TTaskList* list);

}  // namespace pm
