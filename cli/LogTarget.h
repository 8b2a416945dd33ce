#pragma once
// A log file is opened (and an old one removed) before anything else runs:
// it must not be one of the files the command reads.
#include "cli/CommandLine.h"

#include <string>

namespace pm {

// Why `o.LogFile` may not be the log file: it is the project file, a
// scenario file of the command, or a picture the run would read (a file of an
// input type below a source folder). Empty when it may.
std::string LogFileConflict(const TCliOptions& o);
// The same for another file the command writes, named `what` in the reason
// ("the report file").
std::string OutputFileConflict(const TCliOptions& o, const std::string& file, const std::string& what);

}  // namespace pm
