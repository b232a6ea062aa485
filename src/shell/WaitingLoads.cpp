#include "shell/WaitingLoads.h"

#include <utility>

namespace zeb {

WaitingLoads::~WaitingLoads() {
    if (running_)
        running_->cancelled = true;
}

bool WaitingLoads::Defer(std::function<void()> load) {
    if (!running_)
        return false;
    waiting_.push_back(std::move(load));
    return true;
}

std::function<void()> WaitingLoads::TakeNext() {
    if (running_ || waiting_.empty())
        return {};
    std::function<void()> load = std::move(waiting_.front());
    waiting_.pop_front();
    return load;
}

void WaitingLoads::Cancel() {
    if (running_)
        running_->cancelled = true;
    running_.reset();
    waiting_.clear();
}

} // namespace zeb
