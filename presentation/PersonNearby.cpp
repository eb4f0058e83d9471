#include "presentation/PersonNearby.h"

namespace quillory {

bool PersonUsedKioskWithin(User32& user32, std::uint32_t windowMs)
{
    LASTINPUTINFO info;
    if (!user32.GetLastInputInfo(&info))
        return true;
    // Unsigned: right across the clock's wrap every 49.7 days.
    const std::uint32_t sinceInput = user32.GetTickCount() - info.dwTime;
    return sinceInput <= windowMs;
}

}  // namespace quillory
