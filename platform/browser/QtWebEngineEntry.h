#pragma once
// The Qt WebEngine control's way in, from its plugin or where it is linked in.

#include <QtGlobal>

class QWidget;

namespace quillory {
class BrowserControl;
}

// A new Qt WebEngine browser control within `parent` (QtWebEnginePlugin.h).
extern "C" Q_DECL_EXPORT quillory::BrowserControl* QuilloryCreateQtWebEngineBrowser(QWidget* parent);
