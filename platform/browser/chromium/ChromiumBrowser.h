#pragma once
// The browser control on Debian's own Chromium, a separate process driven
// over the DevTools pipe: its window, bare of any browser interface, is taken
// into the control and kept to the control's rectangle. The control sends it
// to URLs, switches it to reading from its disk cache only, and raises an
// event after every completed navigation of the page or of any of its
// frames, as the control on Qt WebEngine does.

#include "platform/browser/BrowserControl.h"
#include "platform/browser/chromium/DevToolsPipe.h"

#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QTimer;

namespace quillory {

class ChromiumBrowser : public BrowserControl {
    Q_OBJECT
public:
    // Starts the browser. Its site data lives in a folder of the visitor's
    // own, gone with the visit; its disk cache, in the user's cache folder,
    // stays for the next visitors and for later runs.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartBrowser();
    void EndBrowser();
    void FollowPage(const QString& session);
    void OpenedWindow(const QString& session, const QString& targetId);
    void Follow(const QString& session);
    void OnEvent(const QString& method, const QJsonObject& params, const QString& session);
    void DropStartEntry(int tries = 0);
    void TakeWindow();
    void KeepKeys();
    void SendNetworkConditions(const QString& session);
    void StartPendingNavigation();

    std::unique_ptr<QTemporaryDir> siteData_;
    DevToolsPipe pipe_;
    QString pageSession_;
    QSet<QString> sessions_;  // the page's and its frames' in other processes
    QString pageUrl_;
    bool dropStartEntry_ = false;
    QTimer* windowSearch_;  // finds the browser's window, then holds it a while
    int windowSearchSteps_ = 0;
    quint64 browserWindow_ = 0;
    QWidget* holder_;
    QWidget* keys_;
    bool offline_ = false;
    int conditionsUnanswered_ = 0;
    QString pendingUrl_;
    bool hasPendingUrl_ = false;
};

}  // namespace quillory
