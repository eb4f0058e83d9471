#pragma once
// Which engine draws the presentation's pages, chosen here alone.

#include <QString>

class QWidget;

namespace quillory {

class BrowserControl;

// The presentation's browser control, within `parent`.
BrowserControl* CreatePresentationBrowser(QWidget* parent);

// "chromium" or "qtwebengine": the engine CreatePresentationBrowser uses.
QString PresentationEngine();

}  // namespace quillory
