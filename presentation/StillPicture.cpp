#include "presentation/StillPicture.h"

#include "presentation/frmBrowser.h"

#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace quillory {

namespace {

// On a busy machine a page was seen still blank a second after its load.
constexpr int kSettleMs = 1000;
// A page still of one colour then is taken as drawn all the same.
constexpr int kDrawnWaitMs = 5000;
constexpr int kLookEveryMs = 100;

void LookUntilDrawn(FrmBrowser& form, QPointer<QObject> guard, const std::function<void()>& then, int waitedMs)
{
    QTimer::singleShot(waitedMs == 0 ? kSettleMs : kLookEveryMs, &form, [&form, guard, then, waitedMs] {
        if (!guard)
            return;
        if (waitedMs < kDrawnWaitMs && BrowserShowsOneColour(form))
            return LookUntilDrawn(form, guard, then, waitedMs + kLookEveryMs);
        then();
    });
}

}  // namespace

StillPicture::StillPicture(const QPixmap& picture, QWidget* parent) : QWidget(parent), picture_(picture)
{
}

void StillPicture::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, picture_);
}

bool BrowserShowsOneColour(FrmBrowser& form)
{
    const QImage shown = form.BrowserPicture();
    if (shown.isNull())
        return false;
    const QRgb first = shown.pixel(0, 0);
    for (int y = 0; y < shown.height(); y += 8) {
        for (int x = 0; x < shown.width(); x += 8) {
            if (shown.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

void WhenDrawn(FrmBrowser& form, QObject* guard, const std::function<void()>& then)
{
    LookUntilDrawn(form, guard, then, 0);
}

}  // namespace quillory
