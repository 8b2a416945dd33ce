#include "core/BackupCopy.h"

#include "core/Paths.h"
#include "log/WriteLog.h"

namespace pm {

namespace {
std::string BackupName(const std::string& fileName) {
    return fileName + ".bak";
}
}  // namespace

bool MakeBackupCopy(const std::string& fileName) {
    const std::string backup = BackupName(fileName);
    if (!DeleteFileIfExists(backup)) {
        LogError("Can't delete old backup copy!");
        return false;
    }
    if (FileExists(fileName) && !CopyFileOver(fileName, backup)) {
        LogError("Can't create backup copy!");
        return false;
    }
    return true;
}

bool RemoveBackupCopy(const std::string& fileName) {
    if (DeleteFileIfExists(BackupName(fileName))) return true;
    LogError("Can't remove backup copy!");
    return false;
}

}  // namespace pm
