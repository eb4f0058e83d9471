#pragma once
// The browser control on Debian's own Chromium, a separate process driven
// over the DevTools pipe: its window, bare of any browser interface, is taken
// into the control and kept to the control's rectangle. The control sends it
// to URLs, switches it to reading from its disk cache only, and raises an
// event after every completed navigation of the page or of any of its
// frames, as the control on Qt WebEngine does. Each visitor gets a browser of
// their own (a ChromiumVisit); keys and the focus stay with the control.

#include "platform/browser/BrowserControl.h"
#include "platform/browser/PendingNavigation.h"
#include "platform/browser/chromium/RestartPacing.h"

#include <memory>

namespace quillory {

class ChromiumVisit;
class HomepageRefresh;
class KeyFocusWindow;
class SpareVisitFolders;

class ChromiumBrowser : public BrowserControl {
    Q_OBJECT
public:
    // Takes over the browser started early for the presentation, or starts one.
    explicit ChromiumBrowser(QWidget* parent);
    // Waits for every browser of the control's to end, and their folders to go.
    ~ChromiumBrowser() override;

    // Whether Debian's Chromium is there to be started.
    static bool IsInstalled();

    // The visitor's browser is asked to close, with every window its pages
    // opened, and ends meanwhile; a new one starts at once on a new site data
    // folder. A browser that died is replaced here too.
    void ForgetVisitor() override;
    // A navigation asked for before the browser is ready starts once it is.
    void Navigate(const QString& url) override;
    void setOffline(bool offline) override;
    bool Offline() const override { return offline_; }
    // The browser draws into a window of its own: the picture is the screen's.
    QImage Picture() override;
    // Each visitor gets a new browser.
    bool EngineOutlivesVisitors() const override { return false; }
    // Over the DevTools pipe, to the page's frame that has the focus.
    void TypeText(const QString& text) override;
    void TypeKey(Qt::Key key) override;

    // The visitor's browser process, for its end to be seen to; -1 while none runs.
    qint64 BrowserProcessId() const;
    // No window of the program's is open but the presentation and the
    // windows the pages opened (the exit prompt, say, is not).
    bool NoOtherWindowOpen() const { return !OtherOpenWindow(); }
    // The visitor's browser, for input the X server cannot give (touch); null while none runs.
    ChromiumVisit* CurrentVisit() const { return visit_.get(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Keys come to the control, whose window has the focus and perhaps the
    // grab, and go on to the page; Tab too, which moves within the page.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void StartVisit(std::unique_ptr<ChromiumVisit> visit);
    void VisitEnded(ChromiumVisit* ended);
    void StartHomepageRefresh();
    void KeepKeys();
    void TakeFocusFromNowhere();
    QWidget* OtherOpenWindow() const;

    std::unique_ptr<HomepageRefresh> homepageRefresh_;
    QString refreshedHomepage_;  // the first address, asked for online
    // The next visitor's folders, made while this one browses.
    std::unique_ptr<SpareVisitFolders> spareFolders_;
    RestartPacing pacing_;
    QWidget* holder_;
    KeyFocusWindow* keys_;
    bool offline_ = false;
    bool touchPointer_ = false;
    PendingNavigation pending_;
    std::unique_ptr<ChromiumVisit> visit_;
};

}  // namespace quillory
