#include "presentation/HomepagePicture.h"

#include "platform/UncoverWithoutBackground.h"
#include "platform/User32Provider.h"
#include "platform/browser/BrowserControl.h"
#include "presentation/PersonNearby.h"
#include "presentation/StillPicture.h"
#include "presentation/frmBrowser.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace quillory {

namespace {

// A homepage that never completes (a resource that hangs) is left live by
// then, so that a visitor can use what it shows.
constexpr int kLongestCoverMs = 30000;

// The part of the control the window shows: the control runs past the
// window's top, right and bottom edges.
QRect ShownPart(const FrmBrowser& form)
{
    return form.webBrowser ? form.webBrowser->geometry() & form.rect() : QRect();
}

// A window of the program's over the presentation (the exit prompt, a page's
// window) would be in the picture.
bool OtherWindowShown(const QWidget& form)
{
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &form && window->isVisible() && window->windowType() != Qt::ToolTip)
            return true;
    }
    return false;
}

}  // namespace

HomepagePicture::HomepagePicture(FrmBrowser& form) : QObject(&form), form_(form)
{
}

void HomepagePicture::HomepageAsked()
{
    askedAtMs_ = SystemUser32().GetTickCount();
    delete waiting_;
    waiting_ = new QObject(this);
    Cover();
    // The first completion after the ask is the homepage's: the visitor's
    // page went with the visitor.
    auto completed = std::make_shared<QMetaObject::Connection>();
    *completed = connect(&form_, &FrmBrowser::DocumentComplete, waiting_, [this, completed] {
        disconnect(*completed);
        WhenDrawn(form_, waiting_, [this] { HomepageDrawn(); });
    });
    QTimer::singleShot(kLongestCoverMs, waiting_, [this] { Uncover(); });
}

bool HomepagePicture::Covering() const
{
    return picture_ && picture_->isVisible();
}

void HomepagePicture::Cover()
{
    if (!picture_)
        return;
    const QRect shown = ShownPart(form_);
    if (picture_->Picture().size() != shown.size()) {
        // The screens changed since: a picture of the new size comes at a later return home.
        delete picture_;
        picture_ = nullptr;
        return;
    }
    picture_->setGeometry(shown);
    picture_->show();
    picture_->raise();
    // On the screen before the old browser's end keeps this thread busy.
    picture_->repaint();
    QGuiApplication::sync();
}

void HomepagePicture::Uncover()
{
    if (!picture_ || !picture_->isVisible())
        return;
    // The browser's window, drawn while covered, shows what it drew when
    // uncovered; until it has drawn it again the picture stays there.
    if (form_.webBrowser)
        KeepContentsWhenUncovered(form_.webBrowser->internalWinId());
    picture_->hide();
}

void HomepagePicture::HomepageDrawn()
{
    if (picture_)
        Uncover();
    else
        TakeIfUntouched();
    waiting_->deleteLater();
}

void HomepagePicture::TakeIfUntouched()
{
    const std::uint32_t sinceAskedMs = SystemUser32().GetTickCount() - askedAtMs_;
    if (PersonUsedKioskWithin(SystemUser32(), sinceAskedMs) || OtherWindowShown(form_))
        return;
    const QImage control = form_.BrowserPicture();
    const QRect shown = ShownPart(form_);
    if (control.isNull() || shown.isEmpty())
        return;
    const QImage part = control.copy(shown.translated(-form_.webBrowser->pos()));
    picture_ = new StillPicture(QPixmap::fromImage(part), &form_);
    picture_->setObjectName(QStringLiteral("homepagePicture"));
    // A window of its own, stacked over the window the browser draws in.
    picture_->setAttribute(Qt::WA_NativeWindow);
    // Named on the window system, where what shows it can be told from the live page.
    picture_->winId();
    if (picture_->windowHandle())
        picture_->windowHandle()->setTitle(QStringLiteral("homepage picture"));
    picture_->hide();
}

}  // namespace quillory
