#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zeb {

// A signal one thread sets and another waits for; a successful wait clears
// it again.
class AutoResetEvent {
public:
    void Set() {
        {
            std::lock_guard lock(mutex_);
            set_ = true;
        }
        cv_.notify_all();
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    // Takes the signal if it is there, without waiting.
    bool TryWait() {
        std::lock_guard lock(mutex_);
        bool was = set_;
        set_ = false;
        return was;
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return set_; });
        set_ = false;
    }
    template <typename Rep, typename Period>
    bool WaitFor(std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [&] { return set_; }))
            return false;
        set_ = false;
        return true;
    }
    bool IsSet() {
        std::lock_guard lock(mutex_);
        return set_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool set_ = false;
};

} // namespace zeb
