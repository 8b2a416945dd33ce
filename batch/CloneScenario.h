#pragma once
// A second, independent copy of a scenario's tasks for another worker: each
// task is made anew from its type and given the settings of the original
// (through SaveSettings and LoadSettings, as if written to a scenario file
// and read back), so no worker shares a task, its
// bitmaps or its context with another.
#include "core/RunContext.h"

namespace pm {

// Appends copies of `from`'s entries, bound to `context`, to `to`. False
// (with `to` possibly partly filled) when a copy cannot be made or its
// settings do not read back exactly as the original's; nothing is logged.
bool CloneScenario(const TTaskList& from, TRunContext& context, TTaskList& to);

}  // namespace pm
