#include "platform/browser/BrowserProfile.h"

#include "platform/browser/PageGuards.h"
#include "platform/browser/SiteDataFolders.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace quillory {

namespace {
QString runFolder;
// The site data folders of the profiles still alive.
QSet<QString> liveFolders;
int visitorNumber = 0;

const QString kProfilePrefix = QStringLiteral("kiosk-");

// The engine keeps each named profile's preferences, among them the salt of
// the page-visible media device ids, in a folder of the profile's name in the
// user's data folder, outside the run's. Left there, they would outlive the
// visitor, and a later profile of the same name would take them over.
QString EngineDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/QtWebEngine");
}

void RemoveProfileFoldersOfEarlierRuns()
{
    const QDir engineData(EngineDataFolder());
    for (const QString& name : engineData.entryList({kProfilePrefix + QLatin1Char('*')},
                                                    QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        QDir(engineData.filePath(name)).removeRecursively();
}

// A name no profile had before, so that nothing stored under one is found again.
QString NewProfileName()
{
    return kProfilePrefix + QStringLiteral("%1-%2")
                                .arg(visitorNumber)
                                .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}
}  // namespace

QWebEngineProfile* CreateVisitorProfile()
{
    if (runFolder.isEmpty()) {
        runFolder = SiteDataFolderOfRun();
        RemoveProfileFoldersOfEarlierRuns();
    }
    // Each visitor's site data goes into a folder of its own within the run's.
    ++visitorNumber;
    auto* created = new QWebEngineProfile(NewProfileName());
    // The preferences' folder is made as the profile is; without it the
    // engine keeps them in memory only, and they go with the profile.
    QDir(created->persistentStoragePath()).removeRecursively();
    created->setPersistentStoragePath(runFolder + QStringLiteral("/visitor-%1").arg(visitorNumber));
    liveFolders.insert(QDir::cleanPath(created->persistentStoragePath()));
    created->setCachePath(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/web"));
    created->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    created->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // A page's icon is fetched outside the page's own load; offline, it must not be.
    created->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    created->settings()->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    GuardProfile(*created);
    return created;
}

void ReleaseVisitorProfile(QWebEngineProfile* visitors)
{
    if (!visitors)
        return;
    liveFolders.remove(QDir::cleanPath(visitors->persistentStoragePath()));
    delete visitors;
    // The engine may still be closing files in the folders of profiles
    // deleted earlier; what it wrote there since goes now.
    if (runFolder.isEmpty())
        return;
    const QDir run(runFolder);
    for (const QString& name : run.entryList({QStringLiteral("visitor-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!liveFolders.contains(QDir::cleanPath(run.filePath(name))))
            QDir(run.filePath(name)).removeRecursively();
    }
}

void RemoveSiteData()
{
    RemoveSiteDataFolder();
    runFolder.clear();
}

}  // namespace quillory
