#include "platform/browser/EarlyStart.h"

#include "platform/browser/BrowserEngine.h"

#include <QCoreApplication>
#include <QPointer>

#ifndef _WIN32
#include "platform/browser/SiteDataFolders.h"
#include "platform/browser/chromium/ChromiumVisit.h"
#endif

namespace quillory {

#ifndef _WIN32
namespace {

// Owned by the application until taken, so that one never taken still ends.
QPointer<ChromiumVisit> earlyVisit;

}  // namespace

void StartPresentationBrowserEarly()
{
    if (earlyVisit || PresentationEngine() != QLatin1String("chromium"))
        return;
    // Nothing is shown yet: the folders are made here.
    earlyVisit = new ChromiumVisit(MakeVisitFolders(SiteDataFolderOfRun()));
    earlyVisit->setParent(QCoreApplication::instance());
}

std::unique_ptr<ChromiumVisit> TakeEarlyChromiumVisit()
{
    if (!earlyVisit)
        return nullptr;
    ChromiumVisit* const taken = earlyVisit.data();
    taken->setParent(nullptr);
    earlyVisit = nullptr;
    return std::unique_ptr<ChromiumVisit>(taken);
}
#else
void StartPresentationBrowserEarly()
{
}
#endif

}  // namespace quillory
