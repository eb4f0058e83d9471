#include "platform/FileLocks.h"

namespace quillory {

// Not supported here: no lock is taken, and none is ever found free, so the
// site-data folders of earlier runs are left in place.
int TakeNewFileLock(const char*)
{
    return -1;
}

bool FileLockIsFree(const char*)
{
    return false;
}

void ReleaseFileLock(int)
{
}

}  // namespace quillory
