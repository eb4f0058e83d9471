#include "platform/ProcessWindows.h"

namespace quillory {

// The program takes in no other process's window on Windows.
quint64 FindShownWindowOfProcess(qint64)
{
    return 0;
}

void HoldWindowWithin(quint64, quint64, const QRect&)
{
}

void FocusWindow(quint64)
{
}

}  // namespace quillory
