#include "engine/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <set>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr int kNicePerStep = 5;

void ReportRefusedNice(int nice, int error) {
    static std::mutex mutex;
    static std::set<int> reported;
    std::lock_guard lock(mutex);
    if (!reported.insert(nice).second)
        return;
    std::fprintf(stderr,
                 "zeb: the playback priority (nice %d) cannot be applied: %s; it stays as it "
                 "was until the next track\n",
                 nice, std::strerror(error));
}

} // namespace

int ProcessNice() {
    errno = 0;
    int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
    return errno == 0 ? nice : 0;
}

int NiceForPriorityStep(int step) {
    return std::clamp(ProcessNice() - kNicePerStep * step, -20, 19);
}

int CurrentThreadId() {
    return static_cast<int>(::syscall(SYS_gettid));
}

bool SetThreadNice(int tid, int nice) {
    errno = 0;
    int now = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (errno == 0 && now == nice)
        return true;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0)
        return true;
    ReportRefusedNice(nice, errno);
    return false;
}

void NameCurrentThread(const char* name) {
    ::pthread_setname_np(::pthread_self(), name);
}

} // namespace zeb
