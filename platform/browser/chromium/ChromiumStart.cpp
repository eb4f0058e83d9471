#include "platform/browser/chromium/ChromiumStart.h"

#include "platform/Gpu.h"
#include "platform/browser/HomepageCache.h"
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/DevToolsPipe.h"
#include "platform/browser/chromium/NoLaunchers.h"
#include "platform/browser/chromium/PageLimits.h"
#include "platform/browser/chromium/TemporaryFolder.h"
#include "platform/browser/chromium/TouchSwitches.h"

#include <unistd.h>

namespace quillory {

const QString kChromiumProgram = QStringLiteral("/usr/bin/chromium");
const QString kStartPage = QStringLiteral("data:text/html,");

HomepageCache& ChromiumHomepageCache()
{
    static HomepageCache cache{QStringLiteral("chromium-homepage"), QStringLiteral("chromium")};
    return cache;
}

bool StartChromium(DevToolsPipe& pipe, VisitFolders& folders)
{
    // Within the run's site-data folder: a later run removes what a killed one left.
    folders.siteData = std::make_unique<QTemporaryDir>(SiteDataFolderOfRun() + QStringLiteral("/chromium-XXXXXX"));
    const QString siteData = folders.siteData->path();
    WriteVisitorPreferences(siteData);
    // The visitor's disk cache starts as a copy of the one kept of the
    // homepage alone, and goes with the visit.
    const QString cache = ChromiumHomepageCache().SeedVisit(siteData);
    QStringList arguments{
        QStringLiteral("--no-first-run"),
        // A permission a page asks for is denied, never asked of the visitor.
        QStringLiteral("--deny-permission-prompts"),
        // No bar over the page about the switches the program starts it with.
        QStringLiteral("--test-type"),
        QStringLiteral("--user-data-dir=") + siteData,
        QStringLiteral("--disk-cache-dir=") + cache,
        QStringLiteral("--app=") + kStartPage,
    };
    arguments << LimitingSwitches() << TouchSwitches();
    // As root the browser starts only with its sandbox off, as Qt's engine.
    if (::geteuid() == 0)
        arguments << QStringLiteral("--no-sandbox");
    // Without a GPU, compositing in software spares the memory of a GPU
    // process that only emulates one.
    if (DisplayLacksGpu())
        arguments << QStringLiteral("--disable-gpu");
    // What the browser keeps in temporary files, and its crash dumps, which
    // hold what the page held, go with the visit too: crash dumps go to the
    // configuration folder, whatever the user data folder. Where the visit's
    // folder is too deep for the browser's socket, its temporary files go to
    // a folder of the visit's own in /tmp.
    const QString temporary = BrowserTemporaryFolder(siteData, folders.shortTemporary);
    const QStringList environment{QStringLiteral("TMPDIR=") + temporary, QStringLiteral("XDG_CONFIG_HOME=") + siteData,
                                  PathWithoutLaunchers(siteData + QStringLiteral("/launchers"))};
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
