#pragma once
// What pixmill-batch does with its parsed arguments.
#include "cli/CommandLine.h"

#include <cstdio>

namespace pm {

enum TCliExit : int {
    kExitComplete = 0,  // the run ended "Project complete." (or the command succeeded)
    kExitErrors = 1,    // the run ended "Project error(s)!" (or the command failed)
    kExitUsage = 2,     // usage error, unreadable project or scenario file
    kExitStopped = 3,   // the run was stopped (Ctrl+C, SIGTERM) before its end
};

// Runs one command. The log goes to `out` (a terminal gets colours and a
// progress line); a one-line reason for a non-zero status goes to `err`.
// The task classes must be registered.
int RunCommandLine(const TCliOptions& options, std::FILE* out, std::FILE* err);

// Parses the arguments (without the program name) and runs them.
int CommandLineMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace pm
