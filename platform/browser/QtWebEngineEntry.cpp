#include "platform/browser/QtWebEngineEntry.h"

#include "platform/browser/WebBrowser.h"

quillory::BrowserControl* QuilloryCreateQtWebEngineBrowser(QWidget* parent)
{
    return new quillory::WebBrowser(parent);
}
