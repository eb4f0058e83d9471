#include "platform/HandoverChannel.h"

#include "platform/RenewalWaiter.h"

#include <QCoreApplication>
#include <QList>
#include <QProcessEnvironment>

#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillory {

namespace {

// The descriptors the new instance finds the socket and the naming pipe at.
constexpr int kChannelFd = 3;
constexpr int kNamingFd = 4;

}  // namespace

const char* SpawnSuccessor(int namingWrite, Successor& started)
{
    int channel[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) != 0)
        return "no socket";
    started.channel = channel[0];
    int ownNamingEnd = -1;
    if (namingWrite < 0) {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return "no pipe";
        started.namingRead = pipe[0];
        namingWrite = ownNamingEnd = pipe[1];
    }
    // The new instance gets the socket and the pipe as descriptors 3 and
    // 4, and no other: the engine's channels and the X connection of this
    // one must close when this one goes.
    const int highChannel = ::fcntl(channel[1], F_DUPFD_CLOEXEC, 10);
    const int highNaming = ::fcntl(namingWrite, F_DUPFD_CLOEXEC, 10);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, highChannel, kChannelFd);
    posix_spawn_file_actions_adddup2(&actions, highNaming, kNamingFd);
    posix_spawn_file_actions_addclosefrom_np(&actions, kNamingFd + 1);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChannelVariable), QString::number(kChannelFd));
    environment.insert(QString::fromLatin1(kSuccessorPipeVariable), QString::number(kNamingFd));
    QList<QByteArray> variables;
    for (const QString& variable : environment.toStringList())
        variables << variable.toLocal8Bit();
    std::vector<char*> envp;
    for (QByteArray& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    QByteArray program = QCoreApplication::applicationFilePath().toLocal8Bit();
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {channel[1], highChannel, highNaming, ownNamingEnd})
        if (fd >= 0)
            ::close(fd);
    if (failed)
        return "cannot start the program";
    started.pid = pid;
    return nullptr;
}

bool SendAll(int channel, const QByteArray& data)
{
    qint64 done = 0;
    while (done < data.size()) {
        // A socket whose other end is gone fails here rather than raise SIGPIPE.
        const ssize_t n = ::send(channel, data.constData() + done, static_cast<size_t>(data.size() - done),
                                 MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool WaitForChannel(int channel, int timeoutMs)
{
    pollfd readable{channel, POLLIN, 0};
    return ::poll(&readable, 1, timeoutMs) > 0;
}

std::int64_t ReadChannel(int channel, char* buffer, std::int64_t size)
{
    return ::read(channel, buffer, static_cast<size_t>(size));
}

void KeepChannelFromChildren(int channel)
{
    ::fcntl(channel, F_SETFD, FD_CLOEXEC);
}

void CloseChannel(int channel)
{
    ::close(channel);
}

}  // namespace quillory
