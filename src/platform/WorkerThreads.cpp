#include "platform/WorkerThreads.h"

#include <utility>

namespace mirabel {

WorkerThreads::WorkerThreads(int helpers) {
    try {
        helpers_.reserve(static_cast<std::size_t>(helpers > 0 ? helpers : 0));
        for (int k = 0; k < helpers; ++k) helpers_.emplace_back([this] { Serve(); });
    } catch (...) {
        Stop();
        throw;
    }
}

WorkerThreads::~WorkerThreads() {
    Stop();
}

void WorkerThreads::Stop() noexcept {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    started_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
    helpers_.clear();
}

void WorkerThreads::ForEach(std::size_t count, const std::function<void(std::size_t)>& task) {
    Begin(count, task);
    Finish();
}

void WorkerThreads::Begin(std::size_t count, const std::function<void(std::size_t)>& task) {
    // One task is not worth waking anybody for: Finish does it.
    const bool wake = count > 1 && !helpers_.empty();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        task_ = &task;
        count_ = count;
        next_ = 0;
        failure_ = nullptr;
        if (wake) {
            ++round_;
            helpersBusy_ = static_cast<int>(helpers_.size());
        }
    }
    if (wake) started_.notify_all();
}

void WorkerThreads::Finish() {
    if (task_) TakeTasks();
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return helpersBusy_ == 0; });
    task_ = nullptr;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

// Hands out indices one at a time, so a slow task holds up only its own thread.
void WorkerThreads::TakeTasks() {
    for (;;) {
        std::size_t index;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (next_ >= count_) return;
            index = next_++;
        }
        try {
            (*task_)(index);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!failure_) failure_ = std::current_exception();
            next_ = count_;  // hand out nothing more
        }
    }
}

void WorkerThreads::Serve() {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            started_.wait(lock, [&] { return ending_ || round_ != seen; });
            if (ending_) return;
            seen = round_;
        }
        TakeTasks();
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            --helpersBusy_;
        }
        finished_.notify_one();
    }
}

}  // namespace mirabel
