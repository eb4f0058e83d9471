#include "presentation/TouchPointer.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <utility>

namespace quillory {

TouchPointer::TouchPointer(QObject* parent, std::function<void(bool)> showPointer)
    : QObject(parent),
      showPointer_(std::move(showPointer))
{
    QCoreApplication::instance()->installEventFilter(this);
}

void TouchPointer::PointerUsed(bool touch)
{
    if (touch == touch_)
        return;
    touch_ = touch;
    showPointer_(!touch);
}

bool TouchPointer::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
        PointerUsed(true);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove: {
        // A finger's touch comes as a mouse event too, made from it.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool finger = mouse->source() != Qt::MouseEventNotSynthesized ||
                            mouse->pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen;
        // Moves the toolkit makes up when windows appear stay where the
        // pointer was; a mouse that moves goes somewhere.
        if (!finger && event->type() == QEvent::MouseMove && mouse->globalPosition() == lastMouse_)
            break;
        if (!finger)
            lastMouse_ = mouse->globalPosition();
        PointerUsed(finger);
        break;
    }
    default:
        break;
    }
    return false;
}

}  // namespace quillory
