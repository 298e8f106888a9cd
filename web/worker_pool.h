#pragma once
// A fixed number of threads with a bounded queue of waiting jobs: the
// painting threads of the web service. When the queue is
// full a job is refused at once instead of piling up.

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace painter {

class WorkerPool {
public:
    WorkerPool(int workers, int queueCapacity);
    ~WorkerPool();  // paints what is queued, then stops
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs `job` on one of the threads; empty when `queueCapacity` jobs wait already.
    template <typename Job>
    std::optional<std::future<std::invoke_result_t<Job>>> trySubmit(Job job) {
        auto task = std::make_shared<std::packaged_task<std::invoke_result_t<Job>()>>(std::move(job));
        auto result = task->get_future();
        if (!tryPost([task] { (*task)(); })) return std::nullopt;
        return result;
    }
    // The same without a result; false when the queue is full.
    bool tryPost(std::function<void()> job);

private:
    void work();

    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace painter
