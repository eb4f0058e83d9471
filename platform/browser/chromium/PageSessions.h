#pragma once
// The sessions of one browser's pages, as the DevTools protocol attaches
// them: the control's page (the app window's), the pages opened in new
// windows, and their frames that run in processes of their own. Each is
// followed with the page it belongs to; the navigations and loads of the
// control's page and its frames are told of.

#include <QHash>
#include <QObject>
#include <QString>

namespace quillory {

class DevToolsPipe;
class NetworkEmulation;

class PageSessions : public QObject {
    Q_OBJECT
public:
    PageSessions(DevToolsPipe& pipe, NetworkEmulation& network, QObject* parent = nullptr);

    // The control's page; empty until the browser attached it.
    QString PageSession() const { return pageSession_; }
    QStringList Followed() const { return owners_.keys(); }
    // How many navigations of the control's page have started, by whomever.
    int PageNavigationsStarted() const { return pageNavigationsStarted_; }
    // The page or opened page whose frame a followed session is.
    QString OwnerOf(const QString& session) const { return owners_.value(session); }
    // Follows an opened page that the control let show, which then waits for
    // nothing more to load.
    void FollowOpenedPage(const QString& session);

signals:
    // The control's page is there to be sent to addresses.
    void PageFollowed();
    // A session is being followed, before it is let run.
    void Following(const QString& session);
    // A page asked for a new window, which the browser made and holds before
    // it loads anything.
    void WindowOpened(const QString& session, const QString& targetId);
    // An opened page closed itself, or was closed.
    void OpenedPageGone(const QString& session);
    // A navigation of the control's page or one of its frames completed.
    void Navigated(const QString& url);
    // The control's page finished loading.
    void Loaded(const QString& url);

private:
    void OnEvent(const QString& method, const QJsonObject& params, const QString& session);
    void Attached(const QJsonObject& params, const QString& parentSession);
    void FrameNavigated(const QJsonObject& params, const QString& session);
    void Follow(const QString& session, const QString& owner);

    DevToolsPipe& pipe_;
    NetworkEmulation& network_;
    QString pageSession_;
    // Each followed session with the page or opened page it belongs to.
    QHash<QString, QString> owners_;
    QString pageUrl_;
    bool startEntryDropped_ = false;
    QString pageTargetId_;
    int pageNavigationsStarted_ = 0;
};

}  // namespace quillory
