#pragma once
// Writing scenario files and the task list of a new scenario, for the
// desktop's scenario model and the command line alike. Reading is
// ReadScenario (PM_Utils.h).
#include "core/RunContext.h"

#include <string>

namespace pm {

// Writes `list` to a scenario file (sections Task1..TaskN) through the
// backup copy, logging each step; true when every task was written.
bool WriteScenarioFile(const TTaskList& list, const std::string& fileName);

// One task of every registered type, in registration order, with its
// default settings and named by its description; logs "Creating the new
// scenario ..." and every type that cannot be made.
TTaskList NewScenarioTasks(TRunContext& ctx);

}  // namespace pm
