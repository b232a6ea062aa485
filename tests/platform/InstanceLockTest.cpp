#include "platform/InstanceLock.h"

#include "support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zeb {
namespace {

// Runs body in a child process and returns its exit code (or -1).
template <typename Body>
int ExitCodeOfChild(Body body) {
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(InstanceLock, SecondHolderFailsUntilTheFirstReleases) {
    test::TempDir dir;
    std::string path = dir.File("ZEBAppClass.lock");
    auto first = std::make_unique<InstanceLock>(path);
    ASSERT_TRUE(first->TryAcquire());
    EXPECT_TRUE(first->TryAcquire()); // holding already
    InstanceLock second(path);
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_FALSE(second.Held());

    // Another process is refused too, even though it inherits our descriptor.
    EXPECT_EQ(ExitCodeOfChild([&] { return InstanceLock(path).TryAcquire() ? 1 : 0; }), 0);

    first.reset();
    EXPECT_TRUE(second.TryAcquire());
    EXPECT_TRUE(second.Held());
    second.Release();
    EXPECT_EQ(ExitCodeOfChild([&] { return InstanceLock(path).TryAcquire() ? 1 : 0; }), 1);
}

TEST(InstanceLock, AKilledHolderNeverBlocksTheNextInstance) {
    test::TempDir dir;
    std::string path = dir.File("ZEBAppClass.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        InstanceLock lock(path);
        char answer = lock.TryAcquire() ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    pollfd pfd{ready[0], POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 10000), 1);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(answer, 'y');

    InstanceLock next(path);
    EXPECT_FALSE(next.TryAcquire());

    ::kill(holder, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    EXPECT_TRUE(next.TryAcquire());
}

TEST(InstanceLock, FailsWhenTheFileCannotBeMade) {
    InstanceLock lock("/nonexistent-folder-for-zeb/lock");
    EXPECT_FALSE(lock.TryAcquire());
    EXPECT_FALSE(lock.Held());
}

} // namespace
} // namespace zeb
