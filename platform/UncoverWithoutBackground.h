#pragma once
// A window of the program's that hides, uncovering other windows below it,
// leaves its picture there until they draw themselves again: otherwise the
// window system fills each uncovered part with the window's background
// colour first, a flash of white or grey where the next picture is the same.

#include <QtGlobal>

namespace quillory {

// For the window and every window inside it, the other processes' included.
void KeepContentsWhenUncovered(quint64 window);

}  // namespace quillory
