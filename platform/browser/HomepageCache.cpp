#include "platform/browser/HomepageCache.h"

#include "platform/browser/FolderWork.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

namespace quillory {

namespace {

QString CacheRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

}  // namespace

HomepageCache::HomepageCache(const QString& name, const QString& formerName)
    : folder_(CacheRoot() + QLatin1Char('/') + name)
{
    QDir().mkpath(CacheRoot());
    QDir(CacheRoot() + QLatin1Char('/') + formerName).removeRecursively();
    // Copies that a killed run left half refreshed.
    const QDir root(CacheRoot());
    for (const QString& left : root.entryList({name + QStringLiteral(".refresh-*"), name + QStringLiteral(".old-*")},
                                              QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        QDir(root.filePath(left)).removeRecursively();
}

HomepageCache::~HomepageCache() = default;

QString HomepageCache::SeedVisit(const QString& visitFolder) const
{
    const QString seeded = visitFolder + QStringLiteral("/cache");
    const std::lock_guard<std::mutex> keptAsIs(kept_);
    CopyFolder(folder_, seeded);
    return seeded;
}

QString HomepageCache::BeginRefresh()
{
    if (refreshing_)
        return {};
    // Beside the kept cache, on the same file system, so that it can take
    // its place in one rename.
    refreshing_ = std::make_unique<QTemporaryDir>(folder_ + QStringLiteral(".refresh-XXXXXX"));
    // Starting from the kept cache, the homepage's files that are still
    // fresh are not fetched again, and a homepage that fails to load leaves
    // the earlier ones in place.
    const std::lock_guard<std::mutex> keptAsIs(kept_);
    if (!refreshing_->isValid() || !CopyFolder(folder_, refreshing_->path())) {
        refreshing_.reset();
        return {};
    }
    return refreshing_->path();
}

void HomepageCache::EndRefresh(bool loaded)
{
    if (!refreshing_)
        return;
    if (loaded) {
        const std::lock_guard<std::mutex> replacing(kept_);
        // The kept cache goes aside first: a rename never replaces a folder
        // that has files in it.
        auto old = std::make_unique<QTemporaryDir>(folder_ + QStringLiteral(".old-XXXXXX"));
        const bool hadOne = QFileInfo::exists(folder_);
        if (!hadOne || (old->isValid() && QDir().rmdir(old->path()) && QDir().rename(folder_, old->path()))) {
            if (!QDir().rename(refreshing_->path(), folder_) && hadOne)
                QDir().rename(old->path(), folder_);
        }
        RemoveInBackground(std::move(old));
    }
    RemoveInBackground(std::move(refreshing_));
}

// The standard library's copy hands each file to the kernel whole
// (sendfile): less than half the time of a copy through QFile here.
bool CopyFolder(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::create_directories(to.toStdString(), error);
    if (error)
        return false;
    if (!QFileInfo::exists(from))
        return true;
    std::filesystem::copy(from.toStdString(), to.toStdString(), std::filesystem::copy_options::recursive, error);
    return !error;
}

}  // namespace quillory
