#include "platform/browser/BrowserEngine.h"

#include "platform/browser/QtWebEnginePlugin.h"
#ifndef _WIN32
#include "platform/browser/chromium/ChromiumBrowser.h"
#endif

namespace quillory {

namespace {
BrowserFactory linkedQtWebEngine = nullptr;
}  // namespace

// Debian's Chromium draws the pages wherever it is installed: it is current
// and gets security updates, where Qt WebEngine's engine is years old and
// fit only for trusted pages. Qt WebEngine draws them where Chromium is
// missing, on Windows, and when QUILLORY_ENGINE=qtwebengine asks for it.
QString PresentationEngine()
{
#ifndef _WIN32
    if (qEnvironmentVariable("QUILLORY_ENGINE") != QLatin1String("qtwebengine") && ChromiumBrowser::IsInstalled())
        return QStringLiteral("chromium");
#endif
    return QStringLiteral("qtwebengine");
}

void UseLinkedQtWebEngine(BrowserFactory create)
{
    linkedQtWebEngine = create;
}

BrowserControl* CreatePresentationBrowser(QWidget* parent)
{
#ifndef _WIN32
    if (PresentationEngine() == QLatin1String("chromium"))
        return new ChromiumBrowser(parent);
#endif
    const BrowserFactory create = linkedQtWebEngine ? linkedQtWebEngine : LoadQtWebEnginePlugin();
    return create(parent);
}

}  // namespace quillory
