#pragma once
// Whether a person is using the kiosk: a navigation that completes with
// nobody there was the page's own doing (a ticker, an advert, a frame that
// reloads itself) and holds no visitor's visit.

#include "platform/User32.h"

#include <cstdint>

namespace quillory {

// A key, a button, the wheel or a touch within the last `windowMs`
// milliseconds. Where the system cannot tell, somebody is taken to be there,
// so that every navigation counts.
bool PersonUsedKioskWithin(User32& user32, std::uint32_t windowMs);

}  // namespace quillory
