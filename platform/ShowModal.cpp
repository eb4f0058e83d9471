#include "platform/ShowModal.h"

#include "platform/ProgramEnd.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace quillory {

namespace {

// Ends the wait once the window has been hidden by the program. A window the
// window system merely minimises or unmaps is not hidden in that sense.
class HiddenWatch final : public QObject {
public:
    HiddenWatch(QWidget* window, QEventLoop* loop) : window_(window), loop_(loop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Hide && window_->isHidden())
            loop_->quit();
        return false;
    }

private:
    QWidget* window_;
    QEventLoop* loop_;
};

}  // namespace

void ShowModal(QWidget* window)
{
    // The window that had the activation gets it back afterwards, as the
    // window system would give it back to a modal box's owner.
    const QPointer<QWidget> previous(QApplication::activeWindow());
    QEventLoop loop;
    HiddenWatch watch(window, &loop);
    QPointer<QWidget> guard(window);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window->installEventFilter(&watch);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    if (!ProgramEnded() && !window->isHidden())
        loop.exec(QEventLoop::DialogExec);
    if (guard)
        guard->removeEventFilter(&watch);
    if (previous && previous != window && previous->isVisible() && !ProgramEnded())
        previous->activateWindow();
}

}  // namespace quillory
