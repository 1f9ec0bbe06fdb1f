#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs check with the rights of an ordinary user, so that file permissions apply also when the
// tests run as root (as they do in CI). Returns what check returned.
inline bool asOrdinaryUser(const std::function<bool()> &check)
{
    if (geteuid() != 0)
        return check();
    const pid_t pid = fork();
    if (pid == 0) {
        const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
