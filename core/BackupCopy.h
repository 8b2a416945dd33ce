#pragma once
// The ".bak" copy a scenario or project file keeps while it is rewritten:
// made before the write and removed after a complete one, so a failed write
// leaves the old contents beside the file.
#include <string>

namespace pm {

// Removes an old backup of `fileName` and copies the file (when it exists)
// to it; false after logging why not.
bool MakeBackupCopy(const std::string& fileName);
// Removes the backup of `fileName`; false after logging that it could not.
bool RemoveBackupCopy(const std::string& fileName);

}  // namespace pm
