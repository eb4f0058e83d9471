#include "platform/browser/BrowserProfile.h"

#include "platform/browser/PageGuards.h"
#include "platform/browser/SiteDataFolders.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace quillory {

namespace {
QWebEngineProfile* profile = nullptr;
QString runFolder;
int visitorNumber = 0;
}  // namespace

QWebEngineProfile* CreateVisitorProfile()
{
    if (runFolder.isEmpty())
        runFolder = CreateSiteDataFolder();
    // Each visitor's site data goes into a folder of its own within the run's.
    ++visitorNumber;
    auto* created = new QWebEngineProfile(QStringLiteral("kiosk-%1").arg(visitorNumber));
    created->setPersistentStoragePath(runFolder + QStringLiteral("/visitor-%1").arg(visitorNumber));
    created->setCachePath(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/web"));
    created->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    created->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // A page's icon is fetched outside the page's own load; offline, it must not be.
    created->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    created->settings()->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    GuardProfile(*created);
    return created;
}

QWebEngineProfile& BrowserProfile()
{
    if (!profile)
        profile = CreateVisitorProfile();
    return *profile;
}

void ReleaseBrowserProfile()
{
    delete profile;
    profile = nullptr;
}

void UseBrowserProfile(QWebEngineProfile* next)
{
    ReleaseBrowserProfile();
    profile = next;
    // The engine may still be closing files in the old profile's folder; a
    // file it writes there afterwards goes with the next change.
    const QDir run(runFolder);
    for (const QString& name : run.entryList({QStringLiteral("visitor-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (QDir(run.filePath(name)) != QDir(next->persistentStoragePath()))
            QDir(run.filePath(name)).removeRecursively();
    }
}

void RemoveSiteData()
{
    RemoveSiteDataFolder();
    runFolder.clear();
}

}  // namespace quillory
