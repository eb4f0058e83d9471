#pragma once
// Cache-only reading on Chromium: the browser's own network emulation, set in
// every session followed (the page's, its frames' in other processes, the
// opened pages'). A navigation waits until every session has taken the
// setting, so that none goes out on the network it was not meant to use.

#include <QObject>
#include <QString>

namespace quillory {

class DevToolsPipe;

class NetworkEmulation : public QObject {
    Q_OBJECT
public:
    explicit NetworkEmulation(DevToolsPipe& pipe, QObject* parent = nullptr);

    // Sets the emulation in a newly followed session.
    void Apply(const QString& session);
    // Switches every followed session.
    void SetOffline(bool offline, const QStringList& sessions);
    bool Offline() const { return offline_; }
    // Every session has answered.
    bool Taken() const { return unanswered_ == 0; }

signals:
    // A session answered: navigations may start once Taken().
    void Answered();

private:
    DevToolsPipe& pipe_;
    bool offline_ = false;
    int unanswered_ = 0;
};

}  // namespace quillory
