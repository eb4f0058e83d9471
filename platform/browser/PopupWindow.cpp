#include "platform/browser/PopupWindow.h"

#include "platform/browser/BrowserPage.h"
#include "platform/browser/PageGuards.h"

#include <QVBoxLayout>
#include <QWebEngineView>

namespace quillory {

namespace {
constexpr QSize kDefaultSize(800, 600);
}

PopupWindow::PopupWindow(QWebEngineProfile* profile)
    : PopupFrame(kDefaultSize),
      view_(new QWebEngineView(this)),
      page_(new BrowserPage(profile, false, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setPage(page_);
    GuardView(*view_);

    connect(page_, &QWebEnginePage::titleChanged, this, &PopupWindow::UpdateTitle);
    connect(page_, &QWebEnginePage::urlChanged, this, &PopupWindow::UpdateTitle);
    connect(page_, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page_, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect& geometry) {
        // A page may move and resize its window, but not into the left strip.
        if (geometry.isValid()) {
            resize(geometry.size());
            move(geometry.topLeft());
        }
    });
    UpdateTitle();
}

PopupWindow::~PopupWindow()
{
    delete view_;
    delete page_;
}

void PopupWindow::UpdateTitle()
{
    SetPageTitle(page_->title().isEmpty() ? page_->url().toString() : page_->title());
}

}  // namespace quillory
