#include "platform/browser/FolderWork.h"

#include <QTemporaryDir>
#include <QThreadPool>

namespace quillory {

namespace {

// A pool of its own, so that the program's end waits for folder work only;
// one thread, so that the work goes in the order asked for and a busy disk
// is not asked for two things at once.
struct FolderThread : QThreadPool {
    FolderThread() { setMaxThreadCount(1); }
};

QThreadPool& FolderThreads()
{
    static FolderThread thread;
    return thread;
}

}  // namespace

void RunFolderWork(std::function<void()> work)
{
    FolderThreads().start(std::move(work));
}

void RemoveInBackground(std::unique_ptr<QTemporaryDir> folder)
{
    if (!folder)
        return;
    // A task is copied; the folder has one owner all the same.
    std::shared_ptr<QTemporaryDir> removed(std::move(folder));
    RunFolderWork([removed] { removed->remove(); });
}

void FinishFolderWork()
{
    FolderThreads().waitForDone();
}

}  // namespace quillory
