#include "platform/browser/SiteDataFolders.h"

#include "platform/FileLocks.h"
#include "platform/browser/FolderWork.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace quillory {

namespace {

const QString kFolderPrefix = QStringLiteral("quillory-site-data-");
// A folder of an ended run, being removed.
const QString kEndedPrefix = QStringLiteral("quillory-ended-");
// Present only in folders this program made; locked while their run lives.
const QString kLockName = QStringLiteral("run.lock");

std::unique_ptr<QTemporaryDir> runFolder;
int runLock = -1;

QByteArray LockPath(const QString& folder)
{
    return QFile::encodeName(folder + QLatin1Char('/') + kLockName);
}

// Removes a folder on the folder thread. The browser of a run that was
// killed may still be writing into it for a moment as its processes end,
// which makes a removal fail: it is tried again.
void RemoveEndedFolder(const QString& folder)
{
    RunFolderWork([folder] {
        constexpr int kTries = 20;
        for (int tried = 1; !QDir(folder).removeRecursively() && tried < kTries; ++tried)
            QThread::msleep(250);
    });
}

// Removes the folders whose run has ended: their lock file is there and
// free. Each is first renamed, at once, so that a removal left unfinished
// (its lock file gone with the first files) is still known as one and
// finished by the next run.
void RemoveFoldersOfEndedRuns()
{
    QDir temp(QDir::tempPath());
    const QDir::Filters folders = QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks;
    for (const QString& name : temp.entryList({kEndedPrefix + QLatin1Char('*')}, folders))
        RemoveEndedFolder(temp.filePath(name));
    for (const QString& name : temp.entryList({kFolderPrefix + QLatin1Char('*')}, folders)) {
        const QString folder = temp.filePath(name);
        const QString ended = temp.filePath(kEndedPrefix + name.mid(kFolderPrefix.size()));
        if (FileLockIsFree(LockPath(folder).constData()) && temp.rename(name, ended))
            RemoveEndedFolder(ended);
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
