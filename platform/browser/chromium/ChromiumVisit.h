#pragma once
// What one visitor uses of Chromium: a browser process of its own on the
// DevTools pipe, started on new site-data and temporary folders, the sessions
// of its pages, the pages it opened in windows of the program's, the
// network emulation of its sessions, and the browser's window, once shown in
// the control. Deleting a visit takes it down in this order: the opened
// pages' windows, the browser's window (let go of, unmapped), the browser,
// asked to close; its folders go once it has ended, which the visit does not
// wait for (see BrowserEnding).

#include "platform/browser/chromium/ChromiumStart.h"
#include "platform/browser/chromium/DevToolsPipe.h"
#include "platform/browser/chromium/NetworkEmulation.h"
#include "platform/browser/chromium/PageSessions.h"
#include "platform/browser/chromium/TextFieldWatch.h"
#include "platform/browser/chromium/VisitFolders.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QWidget;

namespace quillory {

class ChromiumBrowser;
class OpenedPages;
class WindowHolder;

class ChromiumVisit : public QObject {
    Q_OBJECT
public:
    // Starts the browser in the folders made for it; Running() says whether it did.
    explicit ChromiumVisit(VisitFolders folders);
    ~ChromiumVisit() override;

    // Shows the browser's window within `holder`, and lets the visitor's
    // pages open windows as the control allows them.
    void Show(QWidget* holder, ChromiumBrowser& control);

    bool Running() const { return pipe_.IsRunning(); }
    qint64 ProcessId() const { return pipe_.ProcessId(); }
    qint64 LivedMs() const { return lived_.elapsed(); }
    // The control's page is there and has taken the network as set.
    bool ReadyToNavigate() const;
    void Navigate(const QString& url, int attempt = 1);
    void SetOffline(bool offline);
    bool Offline() const { return network_.Offline(); }
    // The session keys typed now go to: the opened page under the pointer,
    // or the control's page.
    QString KeySession() const;
    void SendKey(const QJsonObject& key, const QString& session);
    // Types into the page's field that has the focus: characters as text,
    // and Backspace, Tab, Return, Left and Right as keys; nothing else.
    void TypeText(const QString& text);
    void TypeKey(Qt::Key key);
    // A field of the visitor's pages has the focus.
    bool FieldFocused() const { return !fields_.FieldSession().isEmpty(); }
    // Sends a command to the control's page, or to another session of the
    // browser's: input from devices the X server lacks, such as a finger.
    void SendToPage(const QString& method, const QJsonObject& params, const QString& session = {},
                    DevToolsPipe::Answer answered = {});
    // The browser's window within the control, once shown.
    WindowHolder* Window() const { return window_.get(); }
    OpenedPages* Opened() const { return opened_.get(); }

signals:
    void ReadyToNavigateNow();
    void Navigated(const QString& url);
    void Loaded(const QString& url);
    void TextFieldFocused(bool byTouch, bool singleLine);
    void TextFieldLeft();
    void PointerUsed(bool touch);
    // The browser ended by itself, or closed its end of the pipe.
    void Ended();

private:
    QString TypingSession() const;

    VisitFolders folders_;
    DevToolsPipe pipe_;
    QElapsedTimer lived_;
    int navigationsAsked_ = 0;  // the control's calls to Navigate
    NetworkEmulation network_{pipe_};
    PageSessions sessions_{pipe_, network_};
    TextFieldWatch fields_{pipe_};
    std::unique_ptr<WindowHolder> window_;
    std::unique_ptr<OpenedPages> opened_;
};

}  // namespace quillory
