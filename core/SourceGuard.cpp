#include "core/SourceGuard.h"

#include <sys/stat.h>

namespace pm {

void TSourceGuard::Add(const std::string& path) {
    names_.insert(path);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    ids_.insert({st.st_dev, st.st_ino});
    // Only a link has a second identity, that of the file it leads to.
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) == 0) ids_.insert({st.st_dev, st.st_ino});
}

bool TSourceGuard::IsSource(const std::string& path) const {
    if (names_.count(path)) return true;
    // A rename replaces the entry itself: a link there is replaced, not the
    // file it points to, so the entry's own identity is the one that counts.
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && ids_.count({st.st_dev, st.st_ino}) > 0;
}

}  // namespace pm
