#pragma once
// The pages that a visitor's page opened in new windows on Chromium, each
// shown in a window of the program's (a ChromiumPopup) that holds the
// browser's window for it; several pages may share one browser window, as
// its tabs, and so one window of the program's.

#include <QList>
#include <QMargins>
#include <QObject>
#include <QSize>
#include <QString>

#include <map>
#include <memory>

namespace quillory {

class ChromiumBrowser;
class ChromiumPopup;
class DevToolsPipe;
class PageSessions;
class WindowHolder;

class OpenedPages : public QObject {
    Q_OBJECT
public:
    // `taken` is the control's own browser window, never taken for a popup.
    OpenedPages(DevToolsPipe& pipe, PageSessions& sessions, ChromiumBrowser& control, const WindowHolder& taken);
    // The windows go, and let go of the browser's windows they hold.
    ~OpenedPages() override;

    // The page under the pointer's session, if an opened page is under it.
    QString SessionUnderPointer() const;
    // The newest of the windows, or null.
    ChromiumPopup* Newest() const;

private:
    struct OpenedPage {
        QString targetId;
        QString session;
        int windowId = 0;  // the browser's own id of its window
    };

    void WindowOpened(const QString& session, const QString& targetId);
    void Show(const OpenedPage& page, const QSize& size);
    void MeasureBars(int windowId, const QString& session, const QSize& size, int triesLeft);
    void ShowPopup(int windowId, const QSize& size, const QMargins& bars);
    void ClosePopup(int windowId);
    void PageGone(const QString& session);
    const OpenedPage* ShownPage(int windowId) const;
    void UpdateTitle(int windowId);
    QList<quint64> TakenWindows() const;

    DevToolsPipe& pipe_;
    PageSessions& sessions_;
    ChromiumBrowser& control_;
    const WindowHolder& taken_;
    QList<OpenedPage> pages_;
    std::map<int, std::unique_ptr<ChromiumPopup>> popups_;  // by the browser's window id
};

}  // namespace quillory
