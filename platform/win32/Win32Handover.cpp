#include "platform/WindowHandover.h"

namespace quillory {

// The program never renews itself on Windows: nothing is handed over.
void LowerWindow(quint64)
{
}

bool SpinForKeyboard(int)
{
    return false;
}

}  // namespace quillory
