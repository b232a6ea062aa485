#pragma once

#include <deque>
#include <functional>
#include <utility>

namespace zeb::test {

// Background work held back until the test finishes it, as a thread would
// finish it some time after it was started: for hosts' RunInBackground.
class DeferredJobs {
public:
    void Add(std::function<void()> work, std::function<void()> done) {
        jobs_.emplace_back(std::move(work), std::move(done));
    }
    // Runs the oldest job's work and then its completion; false when none waits.
    bool FinishOldest() {
        if (jobs_.empty())
            return false;
        auto [work, done] = std::move(jobs_.front());
        jobs_.pop_front();
        work();
        done();
        return true;
    }
    size_t size() const { return jobs_.size(); }

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> jobs_;
};

} // namespace zeb::test
