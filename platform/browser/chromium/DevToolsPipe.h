#pragma once
// A browser process driven over the DevTools protocol on a pipe: it reads
// commands on its descriptor 3 and writes answers and events on its
// descriptor 4, each message a JSON object ended by a NUL byte. Both are
// one end of a socket pair here, so that a write to a browser that is gone
// fails instead of raising SIGPIPE.

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <functional>

class QSocketNotifier;
class QTimer;

namespace quillory {

class BrowserEnding;

class DevToolsPipe : public QObject {
    Q_OBJECT
public:
    // A command's result, or its error message (empty on success).
    using Answer = std::function<void(const QJsonObject& result, const QString& error)>;

    explicit DevToolsPipe(QObject* parent = nullptr);
    // Closes the browser, as Close does.
    ~DevToolsPipe() override;

    // Starts the program with these arguments and the pipe's switch, and
    // these NAME=value variables in its environment. The browser gets SIGTERM
    // should this process die first, so that a killed kiosk leaves no browser
    // behind. False when it cannot be started.
    bool Start(const QString& program, const QStringList& arguments, const QStringList& environment = {});
    bool IsRunning() const { return socket_ >= 0; }
    qint64 ProcessId() const { return pid_; }

    // Sends a command to the browser, or to an attached target's session.
    // `answered` runs once, with the result or an error; also when the
    // browser ends first, or the session is detached first (the browser
    // never answers what was sent to a target that closed meanwhile).
    void Send(const QString& method, const QJsonObject& params = {}, const QString& sessionId = {},
              Answer answered = {});

    // Asks the browser to close and lets go of it at once, without waiting:
    // the returned watch sees it end, and ends it with SIGKILL if it has not
    // gone within the grace time. Answers still awaited are dropped. Null
    // when no browser was started.
    BrowserEnding* Close(int graceMs = 5000);
    // Closes the browser and waits for its end, for the grace time at most.
    void Stop();

signals:
    void Event(const QString& method, const QJsonObject& params, const QString& sessionId);
    // The browser closed its end or ended of itself, not by Close; every
    // command still waiting for an answer has had its error. Its process is
    // reaped once the pipe is closed.
    void Ended();

private:
    void ReadAvailable();
    void WriteQueued();
    void Handle(const QByteArray& message);
    void FailAwaitedIn(const QString& sessionId);
    void CloseChannel(bool tellEnded = true);

    qint64 pid_ = -1;
    int socket_ = -1;
    QSocketNotifier* readable_ = nullptr;
    QSocketNotifier* writable_ = nullptr;
    QByteArray incoming_;
    QByteArray outgoing_;
    int nextId_ = 1;
    struct Awaited {
        QString sessionId;
        Answer answered;
    };
    QHash<int, Awaited> waiting_;
};

}  // namespace quillory
