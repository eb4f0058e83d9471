#include "platform/browser/chromium/VisitFolders.h"

#include "platform/browser/FolderWork.h"
#include "platform/browser/HomepageCache.h"
#include "platform/browser/chromium/ChromiumStart.h"
#include "platform/browser/chromium/NoLaunchers.h"
#include "platform/browser/chromium/PageLimits.h"
#include "platform/browser/chromium/TemporaryFolder.h"

namespace quillory {

VisitFolders::~VisitFolders()
{
    RemoveInBackground(std::move(siteData));
    RemoveInBackground(std::move(shortTemporary));
}

VisitFolders MakeVisitFolders(const QString& runFolder)
{
    VisitFolders folders;
    // Within the run's site-data folder: a later run removes what a killed one left.
    folders.siteData = std::make_unique<QTemporaryDir>(runFolder + QStringLiteral("/chromium-XXXXXX"));
    if (!folders.Made())
        return folders;
    const QString siteData = folders.siteData->path();
    WriteVisitorPreferences(siteData);
    // The visitor's disk cache starts as a copy of the one kept of the
    // homepage alone, and goes with the visit.
    folders.cache = ChromiumHomepageCache().SeedVisit(siteData);
    // What the browser keeps in temporary files, and its crash dumps, which
    // hold what the page held, go with the visit too: crash dumps go to the
    // configuration folder, whatever the user data folder. Where the visit's
    // folder is too deep for the browser's socket, its temporary files go to
    // a folder of the visit's own in /tmp.
    folders.temporary = BrowserTemporaryFolder(siteData, folders.shortTemporary);
    folders.path = PathWithoutLaunchers(siteData + QStringLiteral("/launchers"));
    return folders;
}

}  // namespace quillory
