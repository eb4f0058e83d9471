#include "platform/browser/chromium/BrowserEnding.h"

#include "platform/browser/FolderWork.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr int kPollStepMs = 20;

// Every ending browser, so that the program's end can wait for them all.
QObject& EndingBrowsers()
{
    static QPointer<QObject> endings;
    if (!endings)
        endings = new QObject(QCoreApplication::instance());
    return *endings;
}

// A descriptor that becomes readable once the process has ended (Linux 5.3
// and later), or -1.
int ProcessEndDescriptor(qint64 pid)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
}

// True once the process has ended and is reaped (or is no child to reap).
bool Reaped(qint64 pid)
{
    return ::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) != 0;
}

}  // namespace

BrowserEnding::BrowserEnding(qint64 pid, int graceMs)
    : QObject(&EndingBrowsers()),
      pid_(pid),
      pidFd_(ProcessEndDescriptor(pid)),
      grace_(new QTimer(this))
{
    if (pidFd_ >= 0) {
        endNotifier_ = new QSocketNotifier(pidFd_, QSocketNotifier::Read, this);
        connect(endNotifier_, &QSocketNotifier::activated, this, &BrowserEnding::Reap);
    } else {  // older kernels: waitpid without waiting, on a timer
        poll_ = new QTimer(this);
        connect(poll_, &QTimer::timeout, this, &BrowserEnding::Reap);
        poll_->start(kPollStepMs);
    }
    grace_->setSingleShot(true);
    connect(grace_, &QTimer::timeout, this, &BrowserEnding::Kill);
    grace_->start(graceMs);
}

BrowserEnding::~BrowserEnding()
{
    const QDeadlineTimer deadline(grace_->isActive() ? grace_->remainingTime() : 0);
    while (!reaped_ && !(reaped_ = Reaped(pid_)) && !deadline.hasExpired()) {
        pollfd ended{pidFd_, POLLIN, 0};
        ::poll(&ended, pidFd_ >= 0 ? 1 : 0, static_cast<int>(std::min<qint64>(kPollStepMs, deadline.remainingTime())));
    }
    if (!reaped_) {
        ::kill(static_cast<pid_t>(pid_), SIGKILL);
        ::waitpid(static_cast<pid_t>(pid_), nullptr, 0);
    }
    if (pidFd_ >= 0)
        ::close(pidFd_);
    RemoveFolders();
}

void BrowserEnding::KeepUntilEnded(std::unique_ptr<QTemporaryDir> folder)
{
    if (folder)
        folders_.push_back(std::move(folder));
}

void BrowserEnding::FinishAll()
{
    if (QCoreApplication::instance())
        qDeleteAll(EndingBrowsers().findChildren<BrowserEnding*>(Qt::FindDirectChildrenOnly));
    FinishFolderWork();
}

void BrowserEnding::Reap()
{
    if (reaped_ || !(reaped_ = Reaped(pid_)))
        return;
    delete endNotifier_;
    endNotifier_ = nullptr;
    if (poll_)
        poll_->stop();
    grace_->stop();
    RemoveFolders();
    emit Ended();
    deleteLater();
}

// Removing a browser's folders takes hundreds of milliseconds on a busy machine.
void BrowserEnding::RemoveFolders()
{
    for (std::unique_ptr<QTemporaryDir>& folder : folders_)
        RemoveInBackground(std::move(folder));
    folders_.clear();
}

void BrowserEnding::Kill()
{
    if (!reaped_)
        ::kill(static_cast<pid_t>(pid_), SIGKILL);
}

}  // namespace quillory
