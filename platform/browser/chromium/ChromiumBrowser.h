#pragma once
// The browser control on Debian's own Chromium, a separate process driven
// over the DevTools pipe: its window, bare of any browser interface, is taken
// into the control and kept to the control's rectangle. The control sends it
// to URLs, switches it to reading from its disk cache only, and raises an
// event after every completed navigation of the page or of any of its
// frames, as the control on Qt WebEngine does.

#include "platform/browser/chromium/DevToolsPipe.h"

#include "platform/TwipsPlacedWidget.h"
#include <QSet>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <QWidget>

#include <memory>

class QTimer;
class QWindow;

namespace quillory {

class ChromiumBrowser : public TwipsPlacedWidget {
    Q_OBJECT
public:
    // Starts the browser. Its site data lives in a folder of the visitor's
    // own, gone with the visit; its disk cache, in the user's cache folder,
    // stays for the next visitors and for later runs.
    explicit ChromiumBrowser(QWidget* parent);
    ~ChromiumBrowser() override;

    // Forgets the visitor: the browser ends, with every window the page
    // opened, and a new one starts on a new site data folder, so that no
    // cookie, storage, history or visited link of the last visitor is left.
    // A browser that died comes back here too. The offline mode and the disk
    // cache stay. Navigate afterwards.
    void ForgetVisitor();

    // Starts loading a URL or a file path and returns at once; a navigation
    // asked for before the browser is ready starts once it is.
    void Navigate(const QString& url);

    // True: pages come only from the disk cache and no request leaves the
    // machine. Navigations asked for meanwhile wait until the browser has
    // taken the setting.
    void setOffline(bool offline);
    bool Offline() const { return offline_; }

    // The browser process, for its end to be seen to.
    qint64 BrowserProcessId() const { return pipe_.ProcessId(); }

signals:
    // A navigation of the page or one of its frames has completed, also for
    // the same URL again and for a load that ended on an error page.
    void NavigateComplete2(QObject* pDisp, const QVariant& URL);
    // The page has finished loading, with its frames and images.
    void DocumentComplete(QObject* pDisp, const QVariant& URL);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Keys come to the control, whose window has the focus and perhaps the
    // grab, and go on to the page; Tab too, which moves within the page.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    void StartBrowser();
    void EndBrowser();
    void AttachToPage(const QString& targetId);
    void Follow(const QString& session);
    void OnEvent(const QString& method, const QJsonObject& params, const QString& session);
    void TakeWindow();
    void SendNetworkConditions(const QString& session);
    void StartPendingNavigation();

    std::unique_ptr<QTemporaryDir> siteData_;
    DevToolsPipe pipe_;
    bool attaching_ = false;
    QString pageSession_;
    QSet<QString> sessions_;  // the page's and its frames' in other processes
    QString pageUrl_;
    bool dropStartEntry_ = false;
    QTimer* windowSearch_;
    int windowSearchSteps_ = 0;
    QWindow* browserWindow_ = nullptr;
    QWidget* container_ = nullptr;
    bool offline_ = false;
    int conditionsUnanswered_ = 0;
    QString pendingUrl_;
    bool hasPendingUrl_ = false;
};

}  // namespace quillory
