#include "platform/browser/PopupWindow.h"

#include "platform/browser/BrowserPage.h"
#include "platform/browser/PageGuards.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace quillory {

namespace {
constexpr QSize kDefaultSize(800, 600);
}

PopupWindow::PopupWindow(QWebEngineProfile* profile)
    : QWidget(nullptr, kPopupWindowFlags),
      view_(new QWebEngineView(this)),
      page_(new BrowserPage(profile, false, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QApplication::windowIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setPage(page_);
    GuardView(*view_);
    resize(kDefaultSize);
    PlacePopup(*this);

    connect(page_, &QWebEnginePage::titleChanged, this, &PopupWindow::UpdateTitle);
    connect(page_, &QWebEnginePage::urlChanged, this, &PopupWindow::UpdateTitle);
    connect(page_, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page_, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect& geometry) {
        // A page may move and resize its window, but not into the left strip.
        if (geometry.isValid()) {
            resize(geometry.size());
            move(geometry.topLeft());
            KeepClearOfLeftStrip(*this);
        }
    });
    UpdateTitle();
}

PopupWindow::~PopupWindow()
{
    delete view_;
    delete page_;
}

void PopupWindow::moveEvent(QMoveEvent* event)
{
    // Also after a window manager or a visitor dragging the title bar moved it.
    QWidget::moveEvent(event);
    KeepClearOfLeftStrip(*this);
}

void PopupWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    KeepUnmaximised(*this, *event);
}

void PopupWindow::UpdateTitle()
{
    QString title = page_->title();
    if (title.isEmpty())
        title = page_->url().isEmpty() ? QStringLiteral("about:blank") : page_->url().toString();
    setWindowTitle(PopupTitle(title));
}

}  // namespace quillory
