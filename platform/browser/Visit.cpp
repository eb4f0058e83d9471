#include "platform/browser/Visit.h"

#include "platform/browser/BrowserPage.h"
#include "platform/browser/BrowserProfile.h"
#include "platform/browser/OfflineMode.h"
#include "platform/browser/PageGuards.h"
#include "platform/browser/PopupWindow.h"
#include "platform/browser/RendererWatchdog.h"

#include <QWebEngineView>

namespace quillory {

Visit::Visit() : profile(CreateVisitorProfile()), page(new BrowserPage(profile, true, nullptr))
{
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, page, [this] {
        if (!view)
            rendererEndedUnseen = true;
    });
}

Visit::~Visit()
{
    ClosePopups();
    delete view;
    delete watchdog;
    delete offline;
    delete page;
    ReleaseVisitorProfile(profile);
}

void Visit::ClosePopups()
{
    for (const QPointer<PopupWindow>& popup : popups)
        delete popup.data();
    popups.clear();
}

QWebEngineView* Visit::Show(QWidget* parent)
{
    view = new QWebEngineView(parent);
    GuardView(*view);
    offline = new OfflineMode(page, nullptr);
    watchdog = new RendererWatchdog(page, nullptr);
    view->setPage(page);
    return view;
}

}  // namespace quillory
