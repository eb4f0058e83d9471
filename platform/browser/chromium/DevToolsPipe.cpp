#include "platform/browser/chromium/DevToolsPipe.h"

#include "platform/browser/chromium/BrowserEnding.h"

#include <QFile>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <algorithm>
#include <utility>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

extern char** environ;

namespace quillory {

namespace {

constexpr int kCommandsFd = 3;
constexpr int kEventsFd = 4;

// The child's part between fork and exec: only calls that are safe there.
[[noreturn]] void RunBrowser(int channel, pid_t parent, const char* program, char* const argv[], char* const envp[])
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)  // the parent died before the line above
        ::_exit(1);
    if (::dup2(channel, kCommandsFd) < 0 || ::dup2(channel, kEventsFd) < 0)
        ::_exit(1);
    ::closefrom(kEventsFd + 1);
    ::execve(program, argv, envp);
    ::_exit(127);
}

}  // namespace

DevToolsPipe::DevToolsPipe(QObject* parent) : QObject(parent)
{
}

DevToolsPipe::~DevToolsPipe()
{
    // Whoever waits for an answer or the end may be going too.
    waiting_.clear();
    blockSignals(true);
    Close();
}

bool DevToolsPipe::Start(const QString& program, const QStringList& arguments, const QStringList& environment)
{
    if (IsRunning())
        return false;
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return false;
    // Above the descriptors the child puts it at, so that dup2 never
    // overwrites it before it is copied.
    const int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, kEventsFd + 1);
    ::close(pair[1]);

    // Everything exec needs is made before the fork.
    const QByteArray path = QFile::encodeName(program);
    QList<QByteArray> words{path, QByteArrayLiteral("--remote-debugging-pipe")};
    for (const QString& argument : arguments)
        words << argument.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    // The program's environment, with the variables given in its place.
    QList<QByteArray> variables;
    for (const QString& variable : environment)
        variables << variable.toLocal8Bit();
    for (char** inherited = environ; *inherited; ++inherited) {
        const QByteArray variable(*inherited);
        const QByteArray name = variable.left(variable.indexOf('=') + 1);
        if (std::none_of(variables.begin(), variables.end(), [&](const QByteArray& v) { return v.startsWith(name); }))
            variables << variable;
    }
    std::vector<char*> envp;
    for (QByteArray& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = childEnd < 0 ? -1 : ::fork();
    if (pid == 0)
        RunBrowser(childEnd, parent, path.constData(), argv.data(), envp.data());
    if (childEnd >= 0)
        ::close(childEnd);
    if (pid < 0) {
        ::close(pair[0]);
        return false;
    }
    pid_ = pid;
    socket_ = pair[0];
    ::fcntl(socket_, F_SETFL, ::fcntl(socket_, F_GETFL) | O_NONBLOCK);
    readable_ = new QSocketNotifier(socket_, QSocketNotifier::Read, this);
    connect(readable_, &QSocketNotifier::activated, this, &DevToolsPipe::ReadAvailable);
    writable_ = new QSocketNotifier(socket_, QSocketNotifier::Write, this);
    writable_->setEnabled(false);
    connect(writable_, &QSocketNotifier::activated, this, &DevToolsPipe::WriteQueued);
    return true;
}

void DevToolsPipe::Send(const QString& method, const QJsonObject& params, const QString& sessionId, Answer answered)
{
    if (!IsRunning()) {
        if (answered)
            answered({}, QStringLiteral("the browser is not running"));
        return;
    }
    const int id = nextId_++;
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}};
    if (!params.isEmpty())
        message.insert(QStringLiteral("params"), params);
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    if (answered)
        waiting_.insert(id, std::move(answered));
    outgoing_ += QJsonDocument(message).toJson(QJsonDocument::Compact);
    outgoing_ += '\0';
    WriteQueued();
}

void DevToolsPipe::WriteQueued()
{
    while (!outgoing_.isEmpty() && IsRunning()) {
        const ssize_t sent = ::send(socket_, outgoing_.constData(), static_cast<size_t>(outgoing_.size()),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            writable_->setEnabled(errno != EINTR);
            if (errno == EINTR)
                continue;
            return;
        }
        if (sent < 0) {  // the browser's end is gone
            CloseChannel();
            return;
        }
        outgoing_.remove(0, sent);
    }
    if (writable_)
        writable_->setEnabled(false);
}

void DevToolsPipe::ReadAvailable()
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            incoming_.append(buffer, static_cast<qsizetype>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        const bool ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        // Each message ends with a NUL; a partial one waits for its rest.
        qsizetype end;
        while (IsRunning() && (end = incoming_.indexOf('\0')) >= 0) {
            const QByteArray message = incoming_.left(end);
            incoming_.remove(0, end + 1);
            Handle(message);
        }
        if (ended && IsRunning())
            CloseChannel();
        return;
    }
}

void DevToolsPipe::Handle(const QByteArray& message)
{
    const QJsonObject object = QJsonDocument::fromJson(message).object();
    if (object.contains(QLatin1String("id"))) {
        const Answer answered = waiting_.take(object.value(QLatin1String("id")).toInt());
        if (!answered)
            return;
        const QJsonObject error = object.value(QLatin1String("error")).toObject();
        answered(object.value(QLatin1String("result")).toObject(),
                 error.isEmpty() ? QString() : error.value(QLatin1String("message")).toString(QStringLiteral("error")));
        return;
    }
    const QString method = object.value(QLatin1String("method")).toString();
    if (!method.isEmpty())
        emit Event(method, object.value(QLatin1String("params")).toObject(),
                   object.value(QLatin1String("sessionId")).toString());
}

void DevToolsPipe::CloseChannel(bool tellEnded)
{
    if (socket_ < 0)
        return;
    delete readable_;
    delete writable_;
    readable_ = writable_ = nullptr;
    ::close(socket_);
    socket_ = -1;
    incoming_.clear();
    outgoing_.clear();
    // An answer may start new commands: those fail at once, as the browser is gone.
    const QHash<int, Answer> unanswered = std::exchange(waiting_, {});
    for (const Answer& answered : unanswered)
        answered({}, QStringLiteral("the browser ended"));
    if (tellEnded)
        emit Ended();
}

BrowserEnding* DevToolsPipe::Close(int graceMs)
{
    if (IsRunning()) {
        waiting_.clear();
        // Written before the channel closes; the browser reads it, then the end.
        Send(QStringLiteral("Browser.close"));
        CloseChannel(false);
    }
    if (pid_ <= 0)
        return nullptr;
    return new BrowserEnding(std::exchange(pid_, -1), graceMs);
}

void DevToolsPipe::Stop()
{
    delete Close();
}

}  // namespace quillory
