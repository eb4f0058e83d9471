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
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

extern char** environ;

namespace quillory {

namespace {

constexpr int kCommandsFd = 3;
constexpr int kEventsFd = 4;

// What the child needs between its start and exec, all made beforehand.
struct ChildStart {
    int channel;
    pid_t parent;
    const char* program;
    char* const* argv;
    char* const* envp;
    const sigset_t* signalMask;  // the parent's, to be restored for the browser
};

// The child's part before exec. It runs in the parent's memory, on a stack of
// its own, while the parent waits (as after vfork): only system calls, no
// allocation, nothing the parent's other threads may hold a lock on.
int RunBrowser(void* argument)
{
    const auto* start = static_cast<const ChildStart*>(argument);
    // Signals are blocked until here: a handler of the program's must not
    // run in the child, in the parent's memory.
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN &&
            action.sa_handler != SIG_DFL) {
            action.sa_handler = SIG_DFL;
            action.sa_flags = 0;
            ::sigaction(signal, &action, nullptr);
        }
    }
    ::sigprocmask(SIG_SETMASK, start->signalMask, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != start->parent)  // the parent died before the line above
        ::_exit(1);
    if (::dup2(start->channel, kCommandsFd) < 0 || ::dup2(start->channel, kEventsFd) < 0)
        ::_exit(1);
    ::closefrom(kEventsFd + 1);
    ::execve(start->program, start->argv, start->envp);
    ::_exit(127);
}

// Starts the child as vfork does: no copy of the program's memory is made,
// which fork takes milliseconds for on the GUI thread, and this thread
// waits only until the child has called exec.
pid_t SpawnBrowser(ChildStart& start)
{
    constexpr std::size_t kChildStack = 64 * 1024;
    std::vector<char> stack(kChildStack);
    sigset_t all, previous;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    start.signalMask = &previous;
    const pid_t pid = ::clone(RunBrowser, stack.data() + stack.size(), CLONE_VM | CLONE_VFORK | SIGCHLD, &start);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return pid;
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

    // Everything exec needs is made before the child starts.
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

    ChildStart start{childEnd, ::getpid(), path.constData(), argv.data(), envp.data(), nullptr};
    const pid_t pid = childEnd < 0 ? -1 : SpawnBrowser(start);
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
        waiting_.insert(id, {sessionId, std::move(answered)});
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
        const Answer answered = waiting_.take(object.value(QLatin1String("id")).toInt()).answered;
        if (!answered)
            return;
        const QJsonObject error = object.value(QLatin1String("error")).toObject();
        answered(object.value(QLatin1String("result")).toObject(),
                 error.isEmpty() ? QString() : error.value(QLatin1String("message")).toString(QStringLiteral("error")));
        return;
    }
    const QString method = object.value(QLatin1String("method")).toString();
    if (method == QLatin1String("Target.detachedFromTarget"))
        FailAwaitedIn(object.value(QLatin1String("params")).toObject().value(QLatin1String("sessionId")).toString());
    if (!method.isEmpty())
        emit Event(method, object.value(QLatin1String("params")).toObject(),
                   object.value(QLatin1String("sessionId")).toString());
}

void DevToolsPipe::FailAwaitedIn(const QString& sessionId)
{
    std::vector<Answer> failed;
    for (auto awaited = waiting_.begin(); awaited != waiting_.end();) {
        if (!sessionId.isEmpty() && awaited->sessionId == sessionId) {
            failed.push_back(std::move(awaited->answered));
            awaited = waiting_.erase(awaited);
        } else {
            ++awaited;
        }
    }
    // Taken out first: an answer may send new commands.
    for (const Answer& answered : failed)
        answered({}, QStringLiteral("the session was detached"));
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
    const QHash<int, Awaited> unanswered = std::exchange(waiting_, {});
    for (const Awaited& awaited : unanswered)
        awaited.answered({}, QStringLiteral("the browser ended"));
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
