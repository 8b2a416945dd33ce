// pixmill-batch: the headless front end.
#include "cli/BatchCli.h"
#include "tasks/StandardClasses.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    pm::RegisterStandardClasses();
    std::vector<std::string> args(argv + 1, argv + argc);
    return pm::CommandLineMain(args, stdout, stderr);
}
