#pragma once
// The browser's switches against the gestures of a finger that would change
// what the kiosk shows: a pinch that zooms the page, a swipe sideways that
// goes back or forward in history.

#include <QStringList>

namespace quillory {

QStringList TouchSwitches();

}  // namespace quillory
