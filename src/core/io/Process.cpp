#include "core/io/Process.h"

#include "core/record/Language.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace orvane {

namespace {

// Reads what is there; false at the end of the stream.
bool drain(int fd, std::string &into)
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            const size_t room = MaxProcessOutput - std::min(MaxProcessOutput, into.size());
            into.append(buf, std::min(static_cast<size_t>(n), room));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

// Whether the child has ended, reaping it then.
bool reaped(pid_t pid, int &status)
{
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return true;
        if (r == 0)
            return false;
        if (errno != EINTR)
            return true; // not ours to wait for any more
    }
}

} // namespace

Result<ProcessOutcome> runProcess(const std::vector<std::string> &argv, Steady::duration limit, const Cancel *cancel)
{
    if (argv.empty())
        return Result<ProcessOutcome>::failure(T_("起動するコマンドがありません"));
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return Result<ProcessOutcome>::failure(textWith(T_("パイプを作れません: %1"), {std::strerror(errno)}));
    Fd outRead(outPipe[0]), outWrite(outPipe[1]);
    if (::pipe2(errPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return Result<ProcessOutcome>::failure(textWith(T_("パイプを作れません: %1"), {std::strerror(errno)}));
    Fd errRead(errPipe[0]), errWrite(errPipe[1]);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.get(), STDERR_FILENO);
    posix_spawnattr_init(&attr);
    // Its own group, so that an end cuts a wrapper and the ssh it started alike; default signals,
    // since a program started from a window inherits what the window ignores.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return Result<ProcessOutcome>::failure(textWith(T_("%1 を起動できません: %2"), {argv[0], std::strerror(rc)}));
    outWrite.reset();
    errWrite.reset();

    const Fd pidFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    ProcessOutcome outcome;
    const Steady::time_point deadline = Steady::now() + limit;
    Steady::time_point killAt{};
    bool outOpen = true, errOpen = true;
    int status = 0;
    for (;;) {
        if (reaped(pid, status)) {
            // What it wrote before its end is in the pipes still (a descendant may hold them open:
            // what it writes later is not waited for).
            drain(outRead.get(), outcome.out);
            drain(errRead.get(), outcome.err);
            break;
        }
        const Steady::time_point now = Steady::now();
        if (outcome.end == ProcessOutcome::Exited && (now >= deadline || cancelled(cancel))) {
            outcome.end = now >= deadline ? ProcessOutcome::TimedOut : ProcessOutcome::Cancelled;
            ::kill(-pid, SIGTERM);
            killAt = now + std::chrono::milliseconds(500);
        } else if (killAt != Steady::time_point{} && now >= killAt) {
            ::kill(-pid, SIGKILL);
            killAt = now + std::chrono::seconds(60);
        }
        std::vector<pollfd> fds;
        if (outOpen)
            fds.push_back({outRead.get(), POLLIN, 0});
        if (errOpen)
            fds.push_back({errRead.get(), POLLIN, 0});
        if (pidFd)
            fds.push_back({pidFd.get(), POLLIN, 0});
        // Without a pidfd (an old kernel) the end is looked for every 50 ms.
        Steady::time_point until = killAt != Steady::time_point{} ? killAt : deadline;
        if (!pidFd)
            until = std::min(until, now + std::chrono::milliseconds(50));
        sleepOn(fds, until, outcome.end == ProcessOutcome::Exited ? cancel : nullptr);
        if (outOpen)
            outOpen = drain(outRead.get(), outcome.out);
        if (errOpen)
            errOpen = drain(errRead.get(), outcome.err);
    }
    // What it started in its group goes with it when it was ended here (an ssh under a wrapper that
    // left before it).
    if (outcome.end != ProcessOutcome::Exited)
        ::kill(-pid, SIGKILL);
    if (outcome.end == ProcessOutcome::Exited) {
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        else
            outcome.end = ProcessOutcome::Signalled;
    }
    return {outcome, {}};
}

} // namespace orvane
