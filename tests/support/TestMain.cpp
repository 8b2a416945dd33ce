// Registers the task classes once for every test.
#include "tasks/StandardClasses.h"

namespace {
const bool registered = (pm::RegisterStandardClasses(), true);
}
