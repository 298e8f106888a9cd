#include "web/worker_pool.h"

namespace painter {

WorkerPool::WorkerPool(int workers, int queueCapacity) : capacity_(static_cast<std::size_t>(queueCapacity)) {
    for (int k = 0; k < workers; ++k) threads_.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_) t.join();
}

bool WorkerPool::tryPost(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= capacity_) return false;
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

void WorkerPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        job();
    }
}

}  // namespace painter
