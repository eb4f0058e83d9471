#pragma once
// Showing a window modally: the other windows of the program take no input
// until it is hidden or unloaded, and the call waits until then, while the
// window's own events run. Ending the program ends the wait too.

class QWidget;

namespace quillory {

void ShowModal(QWidget* window);

}  // namespace quillory
