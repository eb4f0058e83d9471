#pragma once
// A new window that a page opened on Chromium with the control's leave: a
// plain top-level window of the program's, titled with the page's title and
// the marker by which browser windows are known, placed clear of the left
// strip. The browser's own window, full screen so that it shows no tab strip
// or address bar, is held within it; keys come to this window, never to the
// browser's, and go on to the control, which passes them to the page.

#include "platform/browser/PopupFrame.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <functional>

namespace quillory {

class KeyFocusWindow;

class ChromiumPopup : public PopupFrame {
    Q_OBJECT
public:
    // `keyReceiver` gets the keys typed while this window has the focus;
    // `mayTakeFocus` says whether the focus may be moved within it now.
    ChromiumPopup(const QSize& size, QWidget* keyReceiver, std::function<bool()> mayTakeFocus);
    ~ChromiumPopup() override;

    WindowHolder& Holder() { return holder_; }
    // Moves the keyboard focus to the window's key window.
    void TakeKeyFocus();

signals:
    // The window manager or the program's walk over browser windows asked it
    // to close: its pages are to be closed with it.
    void CloseAsked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QWidget* keyReceiver_;
    QWidget* browserArea_;
    KeyFocusWindow* keyFocus_;
    WindowHolder holder_;
};

}  // namespace quillory
