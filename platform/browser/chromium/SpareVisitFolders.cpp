#include "platform/browser/chromium/SpareVisitFolders.h"

#include "platform/browser/FolderWork.h"
#include "platform/browser/SiteDataFolders.h"

namespace quillory {

// The run's folder is made on this thread, the first time it is asked for.
SpareVisitFolders::SpareVisitFolders() : runFolder_(SiteDataFolderOfRun())
{
    StartMaking();
}

// A set already made goes with the future, a set still being made with the
// task once it is done: either way on the folder thread.
SpareVisitFolders::~SpareVisitFolders() = default;

VisitFolders SpareVisitFolders::Take()
{
    VisitFolders taken = making_.get();
    StartMaking();
    if (!taken.Made())  // the disk was full, say: once more, now
        return MakeVisitFolders(runFolder_);
    return taken;
}

void SpareVisitFolders::Renew()
{
    StartMaking();
}

void SpareVisitFolders::StartMaking()
{
    auto task = std::make_shared<std::packaged_task<VisitFolders()>>(
        [runFolder = runFolder_] { return MakeVisitFolders(runFolder); });
    making_ = task->get_future();
    RunFolderWork([task] { (*task)(); });
}

}  // namespace quillory
