#pragma once
// The next visitor's folders, made beforehand on the folder thread: at a
// return home the new browser starts at once in folders that are ready,
// without the GUI thread copying the homepage's cache.

#include "platform/browser/chromium/VisitFolders.h"

#include <future>

namespace quillory {

class SpareVisitFolders {
public:
    // Starts making a set.
    SpareVisitFolders();
    // A set still being made is removed once made.
    ~SpareVisitFolders();

    // The set made beforehand (waited for if not made yet, as when browsers
    // end one after another), and the next one is started.
    VisitFolders Take();
    // The homepage's cache was refreshed: a set is made again from it.
    void Renew();

private:
    void StartMaking();

    QString runFolder_;
    std::future<VisitFolders> making_;
};

}  // namespace quillory
