#include "platform/RenewalWaiter.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory {

namespace {

// "FD,PID": the pipe's read end and the kiosk's process, for the waiter.
constexpr char kWaiterVariable[] = "QUILLORY_RENEWAL_WAITER";

volatile sig_atomic_t currentKiosk = 0;
volatile sig_atomic_t stopRequest = 0;

// A stop request (a service manager's SIGTERM, Ctrl+C) is meant for the
// kiosk; it is kept for a successor the kiosk was just handing over to.
void ForwardToKiosk(int signal)
{
    stopRequest = signal;
    if (currentKiosk > 0)
        ::kill(currentKiosk, signal);
}

// Closes every descriptor but the standard ones and keep: the X connection
// and the engine's channels of the instance this process was must go.
void CloseAllBut(int keep)
{
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return;
    const int own = ::dirfd(fds);
    while (dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        if (fd > 2 && fd != keep && fd != own)
            ::close(fd);
    }
    ::closedir(fds);
}

// The last successor named on the pipe so far; 0 when none is waiting.
long LastNamed(int pipe)
{
    static std::string pending;
    long named = 0;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipe, buffer, sizeof buffer)) > 0)
        pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
        named = std::atol(pending.substr(0, end).c_str());
        pending.erase(0, end + 1);
    }
    return named;
}

// Asks each process still below this one to end: once the kiosk has ended,
// nothing below it has a reason to stay.
void EndChildren(int signal)
{
    DIR* processes = ::opendir("/proc");
    if (!processes)
        return;
    while (dirent* entry = ::readdir(processes)) {
        const long pid = std::atol(entry->d_name);
        if (pid <= 0)
            continue;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
        FILE* stat = std::fopen(path, "r");
        if (!stat)
            continue;
        char text[512] = {};
        const std::size_t n = std::fread(text, 1, sizeof text - 1, stat);
        std::fclose(stat);
        const char* afterName = std::strrchr(text, ')');
        long parent = 0;
        if (n > 0 && afterName && std::sscanf(afterName + 2, "%*c %ld", &parent) == 1 && parent == ::getpid())
            ::kill(static_cast<pid_t>(pid), signal);
    }
    ::closedir(processes);
}

int StatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    return 128 + (WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : 0);
}

}  // namespace

std::optional<int> RunAsRenewalWaiter()
{
    const char* value = std::getenv(kWaiterVariable);
    if (!value)
        return std::nullopt;
    int pipe = -1;
    long kiosk = 0;
    if (std::sscanf(value, "%d,%ld", &pipe, &kiosk) != 2)
        return 1;
    ::unsetenv(kWaiterVariable);
    CloseAllBut(pipe);
    ::fcntl(pipe, F_SETFL, O_NONBLOCK);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    currentKiosk = static_cast<sig_atomic_t>(kiosk);
    struct sigaction action {};
    action.sa_handler = ForwardToKiosk;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);

    // Every process below is reaped; the kiosk's own end decides the status.
    // The engine's helpers of earlier instances end with them and are only reaped.
    int status = 1;
    int endingSince = -1;  // tenths of a second since the kiosk ended
    for (;;) {
        int waitStatus = 0;
        const pid_t pid = ::waitpid(-1, &waitStatus, currentKiosk ? 0 : WNOHANG);
        if (pid < 0) {
            if (errno == EINTR)
                continue;
            break;  // no process left below
        }
        if (pid == 0) {
            // The kiosk has ended; what is left below goes too, by force after 10 s.
            if (endingSince < 0 || endingSince == 100)
                EndChildren(endingSince < 0 ? SIGTERM : SIGKILL);
            ++endingSince;
            ::usleep(100000);
            continue;
        }
        if (pid != currentKiosk)
            continue;
        if (const long successor = LastNamed(pipe)) {
            currentKiosk = static_cast<sig_atomic_t>(successor);
            if (stopRequest)
                ::kill(static_cast<pid_t>(successor), stopRequest);
            continue;
        }
        status = StatusOf(waitStatus);
        currentKiosk = 0;
    }
    return status;
}

void BecomeRenewalWaiter(int namesSuccessors, long kiosk)
{
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return;
    self[length] = '\0';
    const std::string value = std::to_string(namesSuccessors) + "," + std::to_string(kiosk);
    ::setenv(kWaiterVariable, value.c_str(), 1);
    ::fcntl(namesSuccessors, F_SETFD, 0);
    char* const argv[] = {self, nullptr};
    ::execv(self, argv);
    ::unsetenv(kWaiterVariable);
}

int SuccessorNamingPipe()
{
    const char* value = std::getenv(kSuccessorPipeVariable);
    return value ? std::atoi(value) : -1;
}

void NameSuccessor(long kiosk)
{
    const std::string line = std::to_string(kiosk) + "\n";
    [[maybe_unused]] ssize_t written = ::write(SuccessorNamingPipe(), line.data(), line.size());
}

}  // namespace quillory
