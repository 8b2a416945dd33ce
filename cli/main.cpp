// pixmill-batch: the headless front end.
#include "cli/BatchCli.h"
#include "tasks/StandardClasses.h"

#include <cstdio>
#include <malloc.h>
#include <string>
#include <vector>

int main(int argc, char** argv) {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
    // Every file allocates pictures of about the same size. Kept in the heap
    // after use, that memory serves the next file as it is; otherwise each
    // picture is mapped afresh and the kernel clears every page again.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
    pm::RegisterStandardClasses();
    std::vector<std::string> args(argv + 1, argv + argc);
    return pm::CommandLineMain(args, stdout, stderr);
}
