#include "platform/linux/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// argv as the exec functions want it; the strings stay owned by the caller's vector.
std::vector<char*> execArguments(const std::vector<std::string>& argv, const std::string& program)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    args.push_back(const_cast<char*>(program.c_str()));
    for (std::size_t i = 1; i < argv.size(); ++i)
        args.push_back(const_cast<char*>(argv[i].c_str()));
    args.push_back(nullptr);
    return args;
}

int waitForExit(pid_t pid, int& status)
{
    for (;;) {
        const pid_t r = waitpid(pid, &status, 0);
        if (r == pid)
            return 0;
        if (r < 0 && errno == EINTR)
            continue;
        return -1; // ECHILD: the host ignores SIGCHLD and the child was reaped for us
    }
}

void readAll(int fd, std::string& into)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0)
            into.append(buffer, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return;
    }
}

// Closes every descriptor from 3 up; only async-signal-safe calls.
void closeInheritedDescriptors(int highest)
{
#ifdef SYS_close_range
    if (syscall(SYS_close_range, 3u, ~0u, 0u) == 0)
        return;
#endif
    for (int fd = 3; fd < highest; ++fd)
        close(fd);
}

int descriptorLimit()
{
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536)
        return 65536;
    return static_cast<int>(limit.rlim_cur);
}

} // namespace

std::string findExecutable(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = dirs.find(':', start);
        std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (dir.empty())
            dir = ".";
        const std::string candidate = dir + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        if (end == std::string::npos)
            return {};
        start = end + 1;
    }
}

ChildResult runChild(const std::vector<std::string>& argv, bool captureOutput)
{
    ChildResult result;
    if (argv.empty())
        return result;
    const std::string program = findExecutable(argv[0]);
    if (program.empty())
        return result;
    std::vector<char*> args = execArguments(argv, program);

    int pipeFds[2] = {-1, -1};
    if (captureOutput && pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (captureOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);

#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // The host's own descriptors (audio devices, sockets) are none of the helper's business.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int spawnError = posix_spawn(&pid, program.c_str(), &actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput)
        close(pipeFds[1]);
    if (spawnError != 0) {
        if (captureOutput)
            close(pipeFds[0]);
        return result;
    }
    result.started = true;
    if (captureOutput) {
        readAll(pipeFds[0], result.output);
        close(pipeFds[0]);
    }
    int status = 0;
    if (waitForExit(pid, status) == 0 && WIFEXITED(status)) {
        result.exited = true;
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

bool startDetached(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return false;
    const std::string program = findExecutable(argv[0]);
    if (program.empty())
        return false;
    // Everything the children need is prepared here: after fork only
    // async-signal-safe calls are allowed in a multi-threaded host.
    std::vector<char*> args = execArguments(argv, program);
    const int highest = descriptorLimit();
    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0)
        return false;

    const pid_t middle = fork();
    if (middle < 0) {
        close(devNull);
        return false;
    }
    if (middle == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild < 0)
            _exit(1);
        if (grandchild > 0)
            _exit(0); // the grandchild is now init's to reap
        dup2(devNull, 0);
        dup2(devNull, 1);
        dup2(devNull, 2);
        closeInheritedDescriptors(highest);
        signal(SIGPIPE, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    close(devNull);
    int status = 0;
    const int waited = waitForExit(middle, status);
    return waited != 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace platform
