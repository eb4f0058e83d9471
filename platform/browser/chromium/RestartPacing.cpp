#include "platform/browser/chromium/RestartPacing.h"

#include <algorithm>

namespace quillory {

namespace {

// A browser that lived this long ended by chance, not for a lasting cause.
constexpr qint64 kLongLifeMs = 30000;
// That many short lives in a row are replaced at once, as a visitor's page
// may bring down a browser or two.
constexpr int kShortLivesForgiven = 3;
constexpr int kFirstDelayMs = 1000;
constexpr int kLongestDelayMs = 60000;

}  // namespace

int RestartPacing::DelayAfterEnd(qint64 livedMs)
{
    if (livedMs >= kLongLifeMs)
        shortLives_ = 0;
    const int beyond = shortLives_++ - kShortLivesForgiven;
    if (beyond < 0)
        return 0;
    // Doubles with each further short life, up to a minute.
    return beyond >= 6 ? kLongestDelayMs : std::min(kFirstDelayMs << beyond, kLongestDelayMs);
}

}  // namespace quillory
