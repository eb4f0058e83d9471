#include "platform/WindowManager.h"

namespace quillory {

// Windows neither shades windows nor sends them to other desktops of its own
// accord; raising and focusing the window is the toolkit's.
void BringBackToScreen(quint64)
{
}

void ShowOnEveryDesktop(quint64)
{
}

}  // namespace quillory
