#include "platform/KeyCodes.h"

namespace quillory {

// Windows gives the virtual key with the event.
int VirtualKeyCode(const QKeyEvent& event)
{
    if (event.nativeVirtualKey() != 0)
        return static_cast<int>(event.nativeVirtualKey());
    return VirtualKeyFromQtKey(event.key(), event.modifiers());
}

}  // namespace quillory
