#include "platform/browser/BrowserProfile.h"

#include "platform/browser/PageGuards.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <memory>

namespace quillory {

namespace {
QWebEngineProfile* profile = nullptr;
std::unique_ptr<QTemporaryDir> siteDataFolder;
}  // namespace

QWebEngineProfile& BrowserProfile()
{
    if (profile)
        return *profile;

    siteDataFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillory-site-data-XXXXXX"));
    profile = new QWebEngineProfile(QStringLiteral("kiosk"));
    profile->setPersistentStoragePath(siteDataFolder->path());
    profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/web"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // A page's icon is fetched outside the page's own load; offline, it must not be.
    profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    profile->settings()->setAttribute(QWebEngineSettings::TouchIconsEnabled, false);
    GuardProfile(*profile);
    return *profile;
}

void ReleaseBrowserProfile()
{
    delete profile;
    profile = nullptr;
}

void RemoveSiteData()
{
    siteDataFolder.reset();
}

}  // namespace quillory
