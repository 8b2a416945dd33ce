#pragma once
// Asks the operating system to start reading a file that will be needed
// soon, so that a worker finds its next source file in memory. Costs a
// system call; does nothing where the hint is not supported.
#include <string>

namespace pm {

void HintReadAhead(const std::string& file);

}  // namespace pm
