#include "platform/Pointer.h"

#include <windows.h>

namespace quillory {

void ShowPointer(bool shown)
{
    // The system keeps a display count; bring it to just below or at zero.
    if (shown) {
        while (ShowCursor(TRUE) < 0) {}
    } else {
        while (ShowCursor(FALSE) >= 0) {}
    }
}

}  // namespace quillory
