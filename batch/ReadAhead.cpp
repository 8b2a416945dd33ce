#include "batch/ReadAhead.h"

#include <fcntl.h>
#include <unistd.h>

namespace pm {

void HintReadAhead(const std::string& file) {
#if defined(POSIX_FADV_WILLNEED)
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
    ::close(fd);
#else
    (void)file;
#endif
}

}  // namespace pm
