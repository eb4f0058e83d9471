#include "platform/browser/SiteDataFolders.h"

#include "platform/FileLocks.h"
#include "platform/browser/FolderWork.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace quillory {

namespace {

const QString kFolderPrefix = QStringLiteral("quillory-site-data-");
// Present only in folders this program made; locked while their run lives.
const QString kLockName = QStringLiteral("run.lock");

std::unique_ptr<QTemporaryDir> runFolder;
int runLock = -1;

QByteArray LockPath(const QString& folder)
{
    return QFile::encodeName(folder + QLatin1Char('/') + kLockName);
}

// Removes the folders whose run has ended: their lock file is there and free.
void RemoveFoldersOfEndedRuns()
{
    const QDir temp(QDir::tempPath());
    const QStringList folders = temp.entryList({kFolderPrefix + QLatin1Char('*')},
                                               QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : folders) {
        const QString folder = temp.filePath(name);
        if (FileLockIsFree(LockPath(folder).constData()))
            QDir(folder).removeRecursively();
    }
}

}  // namespace

QString SiteDataFolderOfRun()
{
    if (runFolder)
        return runFolder->isValid() ? runFolder->path() : QString();
    RemoveFoldersOfEndedRuns();
    runFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + kFolderPrefix +
                                                QStringLiteral("XXXXXX"));
    if (!runFolder->isValid())
        return {};
    runLock = TakeNewFileLock(LockPath(runFolder->path()).constData());
    return runFolder->path();
}

void RemoveSiteDataFolder()
{
    // Nothing is still being made or removed within it.
    FinishFolderWork();
    runFolder.reset();
    ReleaseFileLock(runLock);
    runLock = -1;
}

}  // namespace quillory
