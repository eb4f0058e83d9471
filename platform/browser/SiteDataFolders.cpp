#include "platform/browser/SiteDataFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace quillory {

namespace {

const QString kFolderPrefix = QStringLiteral("quillory-site-data-");
// Present only in folders this program made; locked while their run lives.
const QString kLockName = QStringLiteral("run.lock");

std::unique_ptr<QTemporaryDir> runFolder;
int runLock = -1;

#ifdef Q_OS_UNIX
// The lock file comes into place already locked (made under another name,
// locked, then renamed), so no other run ever finds it unlocked while this
// run lives. The kernel lets the lock go when the process ends, however it ends.
int TakeLock(const QString& folder)
{
    const QByteArray staging = QFile::encodeName(folder + QStringLiteral("/run.lock.new"));
    const QByteArray final = QFile::encodeName(folder + QLatin1Char('/') + kLockName);
    const int fd = ::open(staging.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(staging.constData(), final.constData()) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True when the folder's run has ended: its lock file is there and can be locked.
bool RunHasEnded(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + kLockName);
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool ended = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return ended;
}

void RemoveFoldersOfEndedRuns()
{
    const QDir temp(QDir::tempPath());
    const QStringList folders =
        temp.entryList({kFolderPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString& name : folders) {
        const QString folder = temp.filePath(name);
        if (RunHasEnded(folder))
            QDir(folder).removeRecursively();
    }
}
#endif

}  // namespace

QString CreateSiteDataFolder()
{
#ifdef Q_OS_UNIX
    RemoveFoldersOfEndedRuns();
#endif
    runFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1Char('/') + kFolderPrefix +
                                                QStringLiteral("XXXXXX"));
    if (!runFolder->isValid())
        return {};
#ifdef Q_OS_UNIX
    runLock = TakeLock(runFolder->path());
#endif
    return runFolder->path();
}

void RemoveSiteDataFolder()
{
    runFolder.reset();
#ifdef Q_OS_UNIX
    if (runLock >= 0)
        ::close(runLock);
#endif
    runLock = -1;
}

}  // namespace quillory
