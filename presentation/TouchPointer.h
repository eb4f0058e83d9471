#pragma once
// Hides the mouse pointer while the last input was a finger, and shows it
// again as soon as a mouse moves: on a touch screen the arrow would stand
// still in the middle of the page. Touches and moves on the program's own
// windows are seen here; those on the page are told by the browser control.

#include <QObject>
#include <QPointF>

namespace quillory {

class TouchPointer : public QObject {
    Q_OBJECT
public:
    explicit TouchPointer(QObject* parent);

    // The last input was a finger (true) or a mouse (false).
    void PointerUsed(bool touch);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool touch_ = false;
    QPointF lastMouse_;
};

}  // namespace quillory
