#include "platform/SystemKeyboard.h"

namespace quillory {

// Windows names its layouts by number; the operator names one instead
// (QUILLORY_KEYBOARD_LAYOUT).
QString SystemKeyboardLayoutName()
{
    return {};
}

}  // namespace quillory
