// When a person last used the machine, as X11User32 answers it.

#include "platform/x11/X11InputWatch.h"
#include "platform/x11/X11User32.h"

namespace quillory {

// Fails where the server reports no raw input (or there is no server): the
// caller then cannot tell whether anybody is there.
std::int32_t X11User32::GetLastInputInfo(LASTINPUTINFO* plii)
{
    X11InputWatch* watch = X11InputWatch::Get();
    if (!watch || !plii)
        return 0;
    plii->dwTime = watch->LastInput();
    return 1;
}

std::uint32_t X11User32::GetTickCount()
{
    return SteadyMilliseconds();
}

}  // namespace quillory
