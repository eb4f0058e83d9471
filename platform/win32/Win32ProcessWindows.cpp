#include "platform/ProcessWindows.h"

namespace quillory {

// The program takes in no other process's window on Windows.
quint64 FindShownWindowOfProcess(qint64)
{
    return 0;
}

}  // namespace quillory
