#include "platform/FileLocks.h"

#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillory {

int TakeNewFileLock(const char* path)
{
    const std::string staging = std::string(path) + ".new";
    const int fd = ::open(staging.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(staging.c_str(), path) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool FileLockIsFree(const char* path)
{
    const int fd = ::open(path, O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

void ReleaseFileLock(int lock)
{
    if (lock >= 0)
        ::close(lock);
}

}  // namespace quillory
