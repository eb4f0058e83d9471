#pragma once
// Where the program's own dialogs first appear.

class QWidget;

namespace quillory {

// Moves the window to the middle of the primary screen's working area.
void CentreOnScreen(QWidget& window);

}  // namespace quillory
