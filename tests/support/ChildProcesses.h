#pragma once

#include <functional>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zeb::test {

// Runs work(0) .. work(count - 1) at the same time, each in a process of its
// own, and waits for them all. True when every one returned true.
inline bool RunInChildProcesses(int count, const std::function<bool(int)>& work) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(work(i) ? 0 : 1);
        if (pid < 0)
            return false;
        children.push_back(pid);
    }
    bool allOk = true;
    for (const pid_t pid : children) {
        int status = 0;
        allOk = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                WEXITSTATUS(status) == 0 && allOk;
    }
    return allOk;
}

// The id of a process that has ended (and been reaped).
inline pid_t EndedProcessId() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid;
}

} // namespace zeb::test
