#pragma once
// The browser control on Debian's own Chromium, a separate process driven
// over the DevTools pipe: its window, bare of any browser interface, is taken
// into the control and kept to the control's rectangle. The control sends it
// to URLs, switches it to reading from its disk cache only, and raises an
// event after every completed navigation of the page or of any of its
// frames, as the control on Qt WebEngine does.

#include "platform/browser/BrowserControl.h"
#include "platform/browser/HomepageCache.h"
#include "platform/browser/chromium/DevToolsPipe.h"
#include "platform/browser/chromium/RestartPacing.h"
#include "platform/browser/chromium/WindowHolder.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace quillory {

class ChromiumPopup;
class HomepageRefresh;
class KeyFocusWindow;

class ChromiumBrowser : public BrowserControl {
    Q_OBJECT
public:
    // Starts the browser. Its site data and its disk cache live in a folder
    // of the visitor's own, gone with the visit; the cache starts as a copy
    // of the one kept of the homepage alone.
    explicit ChromiumBrowser(QWidget* parent);
    ~ChromiumBrowser() override;

    // Whether Debian's Chromium is there to be started.
    static bool IsInstalled();

    // The browser ends, with every window the page opened, and a new one
    // starts on a new site data folder. A browser that died comes back here
    // too.
    void ForgetVisitor() override;
    // A navigation asked for before the browser is ready starts once it is.
    void Navigate(const QString& url) override;
    void setOffline(bool offline) override;
    bool Offline() const override { return offline_; }
    // The browser draws into a window of its own: the picture is the screen's.
    QImage Picture() override;
    // Each visitor gets a new browser.
    bool EngineOutlivesVisitors() const override { return false; }

    // The browser process, for its end to be seen to.
    qint64 BrowserProcessId() const { return pipe_.ProcessId(); }

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
    // A page in a window that a page opened, shown in a window of the
    // program's; several may share one browser window, as its tabs.
    struct OpenedPage {
        QString targetId;
        QString session;
        int windowId = 0;  // the browser's own id of its window
    };

    void StartBrowser();
    void EndBrowser();
    void FollowPage(const QString& session);
    void OpenedWindow(const QString& session, const QString& targetId);
    void ShowOpenedPage(const OpenedPage& page, const QSize& size);
    void ShowPopup(int windowId, const QSize& size, const QMargins& bars);
    void ClosePopup(int windowId);
    void OpenedPageGone(const QString& session);
    const OpenedPage* ShownPage(int windowId) const;
    void UpdatePopupTitle(int windowId);
    QString KeySession() const;
    QList<quint64> TakenWindows() const;
    void Follow(const QString& session, const QString& owner);
    void OnEvent(const QString& method, const QJsonObject& params, const QString& session);
    void DropStartEntry(int tries = 0);
    void KeepKeys();
    void TakeFocusFromNowhere();
    // Another of the program's windows, open over the pages: the exit prompt.
    QWidget* OtherOpenWindow() const;
    bool NoOtherWindowOpen() const;
    void SendNetworkConditions(const QString& session);
    void StartPendingNavigation();

    HomepageCache homepageCache_{QStringLiteral("chromium-homepage"), QStringLiteral("chromium")};
    std::unique_ptr<HomepageRefresh> homepageRefresh_;  // goes before the cache it refreshes
    std::unique_ptr<QTemporaryDir> siteData_;
    std::unique_ptr<QTemporaryDir> shortTemporary_;  // only where siteData_ is too deep
    DevToolsPipe pipe_;
    QElapsedTimer lived_;  // since the browser started
    RestartPacing pacing_;
    QString pageSession_;
    // Each followed session (the page's, the opened pages', and their frames'
    // in other processes) with the page or opened page it belongs to.
    QHash<QString, QString> owners_;
    QList<OpenedPage> openedPages_;
    QHash<int, ChromiumPopup*> popups_;  // by the browser's window id
    QString pageUrl_;
    bool dropStartEntry_ = false;
    QWidget* holder_;
    WindowHolder browserWindow_;
    KeyFocusWindow* keys_;
    bool offline_ = false;
    int conditionsUnanswered_ = 0;
    QString pendingUrl_;
    bool hasPendingUrl_ = false;
};

}  // namespace quillory
