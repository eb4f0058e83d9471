#pragma once
// A 1x1 window of the program's that holds the keyboard focus while the
// browser's window is held beside it: keys come here wherever the pointer
// is, and go on to the control, which passes them to a page. The browser's
// window never sees a key, so none of its shortcuts (address bar, files,
// new windows, its tools) can work.

#include <QAbstractNativeEventFilter>
#include <QWidget>

#include <functional>

namespace quillory {

class KeyFocusWindow : public QWidget, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Keys go to `receiver`; the browser's window is held within
    // `browserArea`. `mayTakeFocus` says whether the focus may be taken from
    // the top-level window now.
    KeyFocusWindow(QWidget* parent, QWidget* receiver, QWidget* browserArea, std::function<bool()> mayTakeFocus);
    ~KeyFocusWindow() override;

    void TakeFocus();

protected:
    bool event(QEvent* event) override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    QWidget* receiver_;
    QWidget* browserArea_;
    std::function<bool()> mayTakeFocus_;
};

}  // namespace quillory
