#include "platform/browser/chromium/ChromiumStart.h"

#include "platform/Gpu.h"
#include "platform/browser/HomepageCache.h"
#include "platform/browser/chromium/DevToolsPipe.h"
#include "platform/browser/chromium/PageLimits.h"
#include "platform/browser/chromium/TemporaryFolder.h"
#include "platform/browser/chromium/TouchSwitches.h"
#include "platform/browser/chromium/VisitFolders.h"

#include <unistd.h>

namespace quillory {

const QString kChromiumProgram = QStringLiteral("/usr/bin/chromium");
const QString kStartPage = QStringLiteral("data:text/html,");

HomepageCache& ChromiumHomepageCache()
{
    static HomepageCache cache{QStringLiteral("chromium-homepage"), QStringLiteral("chromium")};
    return cache;
}

bool StartChromium(DevToolsPipe& pipe, const VisitFolders& folders)
{
    if (!folders.Made())
        return false;
    QStringList arguments{
        QStringLiteral("--no-first-run"),
        // A permission a page asks for is denied, never asked of the visitor.
        QStringLiteral("--deny-permission-prompts"),
        // No bar over the page about the switches the program starts it with.
        QStringLiteral("--test-type"),
        QStringLiteral("--user-data-dir=") + folders.siteData->path(),
        QStringLiteral("--disk-cache-dir=") + folders.cache,
        QStringLiteral("--app=") + kStartPage,
        // Off the screen until the control takes the window in: a window
        // mapped on the root would otherwise show, blank, over the homepage's
        // picture for a moment (a window manager may still place it).
        QStringLiteral("--window-position=-32000,-32000"),
    };
    arguments << LimitingSwitches() << TouchSwitches();
    // As root the browser starts only with its sandbox off, as Qt's engine.
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    // Without a GPU, compositing in software spares the memory of a GPU
    // process that only emulates one. Asked of the display once: the answer
    // takes a connection of its own.
    static const bool lacksGpu = DisplayLacksGpu();
    if (lacksGpu)
        arguments << QStringLiteral("--disable-gpu");
    const QStringList environment{QStringLiteral("TMPDIR=") + folders.temporary,
                                  QStringLiteral("XDG_CONFIG_HOME=") + folders.siteData->path(), folders.path};
    if (!pipe.Start(kChromiumProgram, arguments, environment))
        return false;
    // Every page the browser opens comes attached, and waits: the app
    // window's page, which is the control's, and any window a page opens,
    // which may then be closed before it has loaded anything.
    pipe.Send(QStringLiteral("Target.setAutoAttach"),
              {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
    LimitBrowser(pipe);
    return true;
}

}  // namespace quillory
