#include "platform/browser/PopupWindow.h"

#include "platform/browser/BrowserPage.h"
#include "platform/browser/PageGuards.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace quillory {

namespace {
constexpr QSize kDefaultSize(800, 600);
}

PopupWindow::PopupWindow(QWebEngineProfile* profile)
    : view_(new QWebEngineView(this)), page_(new BrowserPage(profile, false, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QApplication::windowIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setPage(page_);
    GuardView(*view_);
    resize(kDefaultSize);

    connect(page_, &QWebEnginePage::titleChanged, this, &PopupWindow::UpdateTitle);
    connect(page_, &QWebEnginePage::urlChanged, this, &PopupWindow::UpdateTitle);
    connect(page_, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page_, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect& geometry) {
        if (geometry.isValid())
            resize(geometry.size());
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
    QString title = page_->title();
    if (title.isEmpty())
        title = page_->url().isEmpty() ? QStringLiteral("about:blank") : page_->url().toString();
    setWindowTitle(title + QLatin1String(" - ") + QLatin1String(kBrowserWindowMarker));
}

}  // namespace quillory
