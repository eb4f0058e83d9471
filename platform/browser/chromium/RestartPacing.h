#pragma once
// A browser that ends by itself is replaced at once; one that keeps ending
// soon after it starts (a machine short of memory, a broken install) is
// replaced ever more slowly, so that the kiosk does not spend itself
// starting browsers.

#include <QtGlobal>

namespace quillory {

class RestartPacing {
public:
    // The wait before the next browser starts, for one that ended by itself
    // after living this long.
    int DelayAfterEnd(qint64 livedMs);

private:
    int shortLives_ = 0;
};

}  // namespace quillory
