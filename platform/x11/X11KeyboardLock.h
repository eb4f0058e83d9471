#pragma once
// Locks the keyboard to this program with an active grab on the root window
// with owner_events set: keys meant for the program's own windows reach them
// as usual, while keys meant for any other client are reported on the root,
// where Qt has no window and drops them. The window manager's Alt+Tab and
// Alt+F4 are passive grabs, which never fire during an active grab.
// The root rather than the presentation window: it is always viewable and never
// re-created, so the grab can't fail or break while that window is hidden or
// re-created, and keys aimed at other clients' windows aren't typed into the page.
// On X11, SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING) switches it.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

namespace quillory {

class X11KeyboardLock final : public QObject, public QAbstractNativeEventFilter {
public:
    X11KeyboardLock();
    ~X11KeyboardLock() override;

    bool isLocked() const { return m_locked; }
    void setLocked(bool locked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

private:
    void tryGrab();

    bool m_locked = false;  // wanted
    bool m_held = false;    // our grab is in place
    QTimer m_retry;
};

}  // namespace quillory
