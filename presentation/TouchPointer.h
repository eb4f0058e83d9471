#pragma once
// Hides the mouse pointer while the last input was a finger, and shows it
// again as soon as a mouse moves: on a touch screen the arrow would stand
// still in the middle of the page. Touches and moves on the program's own
// windows are seen here; those on the page are told by the browser control.

#include "platform/Pointer.h"

#include <QObject>
#include <QPointF>

#include <functional>

namespace quillory {

class TouchPointer : public QObject {
    Q_OBJECT
public:
    // `showPointer` shows or hides the screen's pointer (ShowPointer).
    explicit TouchPointer(QObject* parent, std::function<void(bool)> showPointer = ShowPointer);

    // The last input was a finger (true) or a mouse (false).
    void PointerUsed(bool touch);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(bool)> showPointer_;
    bool touch_ = false;
    QPointF lastMouse_;
};

}  // namespace quillory
