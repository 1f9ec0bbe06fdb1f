#pragma once

#include <functional>
#include <linux/capability.h>
#include <sys/syscall.h>
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

// While it lives, file permissions bind this process also when it runs as root: the capabilities
// that let root read and write any file are set aside, and taken up again at the end. The test's
// own files stay reachable through their owner's rights; a file made read-only cannot be written.
class FilePermissionsApply
{
public:
    FilePermissionsApply()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_active = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~FilePermissionsApply()
    {
        if (m_active)
            syscall(SYS_capset, &m_header, m_saved);
    }
    FilePermissionsApply(const FilePermissionsApply &) = delete;
    FilePermissionsApply &operator=(const FilePermissionsApply &) = delete;

private:
    __user_cap_header_struct m_header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] {};
    bool m_active = false;
};
