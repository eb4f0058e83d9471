#pragma once
// Which engine draws the presentation's pages, chosen here alone.

#include <QString>

class QWidget;

namespace quillory {

class BrowserControl;

// Makes a browser control on Qt WebEngine within `parent`.
using BrowserFactory = BrowserControl* (*)(QWidget* parent);

// The presentation's browser control, within `parent`.
BrowserControl* CreatePresentationBrowser(QWidget* parent);

// "chromium" or "qtwebengine": the engine CreatePresentationBrowser uses.
// Known before the application object exists.
QString PresentationEngine();

// Where the Qt WebEngine control is linked into the program (Windows, the
// tests), `create` makes it; elsewhere it comes from its plugin, loaded only
// when that engine draws the pages.
void UseLinkedQtWebEngine(BrowserFactory create);

}  // namespace quillory
