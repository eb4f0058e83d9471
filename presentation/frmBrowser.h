#pragma once
// The presentation window: borderless, black, covering every screen, and
// filled but for a thin strip along its left edge by the browser control.

#include "platform/Boolean.h"

#include <QImage>
#include <QVariant>
#include <QWidget>
#include <cstdint>

class QMouseEvent;
class QTimer;

namespace quillory {

class BrowserControl;
class HomepagePicture;
class KeyboardDock;

class FrmBrowser : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTimerInterval = 10000;  // milliseconds

    // The timer's interval can be shortened for tests. The window functions
    // are the system's (SystemUser32), which tests replace.
    explicit FrmBrowser(int timerInterval = kTimerInterval);

    // Shows the window modeless, loading it first if it is not loaded.
    void Show();
    // Ends the browser control, with the visitor's windows, so that the
    // engine writes out its disk cache; the window stays, black.
    void CloseBrowser();
    // Sends the browser to a URL, as a link the visitor follows would.
    void Navigate(const QString& url);
    // What the browser control shows now; null once the browser is closed.
    QImage BrowserPicture() const;
    // Whether the engine's memory may grow from one visitor to the next.
    bool EngineOutlivesVisitors() const;

    // The outer rectangle in twips.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;

    // Timer ticks since the last reset or completed navigation.
    std::int16_t TickCount = 0;
    // The exit prompt was shown from the hot corner and no reset has hidden it since.
    Boolean PasswordShown = False;

    BrowserControl* webBrowser;
    QTimer* tmrTimeout;

    void Form_Load();
    void webBrowser_NewWindow2(QObject** ppDisp, Boolean* Cancel);
    void webBrowser_NavigateComplete2(QObject* pDisp, const QVariant& URL);
    void tmrTimeout_Timer();
    // The browser's process ended by itself: back to the homepage at once.
    void webBrowser_BrowserEnded();
    // The hot corner that opens the exit prompt. Button and Shift are masks
    // (1 left, 2 right, 4 middle; 1 Shift, 2 Ctrl, 4 Alt), X and Y in twips.
    void Form_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    // Lets the hot corner's press through while a page's list is open.
    void WatchStripBehindPopups();
    // The on-screen keyboard's window and where it types.
    KeyboardDock& Keyboard() const { return *keyboardDock_; }

signals:
    // A navigation of the page or of one of its frames has completed.
    void NavigateComplete(const QString& url);
    // The page shown has finished loading, or ended on an error page.
    void DocumentComplete(const QString& url);
    // A page asked for a new window.
    void NewWindowAsked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    // Nothing from outside closes the presentation: not Alt+F4, not the
    // taskbar. The program's own ways out end it.
    void closeEvent(QCloseEvent* event) override;

private:
    // Covers the whole desktop, and places the control over all of it but
    // the left strip; again whenever a screen is added, removed or resized.
    void PlaceOnScreens();
    void FollowScreens();
    // The bottom of the screen the window's left edge lies on, in twips from
    // the window's top: the hot corner is there, where the pointer can go,
    // also beside a taller screen.
    float CornerBottom() const;
    void CloseBrowserWindows();
    // Forgets the visitor and goes back to the homepage: at a reset, and when
    // the browser ended by itself.
    void ReturnHome();
    // The time without a counted navigation after which the presentation
    // goes home: the reset threshold in timer intervals; 0 for never.
    std::uint32_t IdleDelayMs() const;
    void setLeft(float twips);
    void setTop(float twips);
    void setWidth(float twips);
    void setHeight(float twips);

    bool loaded_ = false;
    // Covers the control with the homepage's picture while the homepage comes back.
    HomepagePicture* homepagePicture_;
    // The on-screen keyboard, for the page's fields and the exit prompt.
    KeyboardDock* keyboardDock_;
    // The last move over the window was a finger's: the hot corner's prompt
    // then comes with the keyboard.
    bool movedByTouch_ = false;
    // The homepage was asked for (at load or by a reset) and has not yet
    // completed: its completion counts whoever is there.
    bool homeRequested_ = false;
};

// The one presentation window of the run, created on first use (see Forms.h).
FrmBrowser& frmBrowser();

}  // namespace quillory
