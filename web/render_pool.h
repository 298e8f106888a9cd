#pragma once
// A fixed number of painting threads with a bounded queue of waiting
// pictures. The threads that talk to clients hand pictures to it and wait;
// when the queue is full a picture is refused at once instead of piling up.

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace painter {

class RenderPool {
public:
    RenderPool(int workers, int queueCapacity);
    ~RenderPool();  // paints what is queued, then stops
    RenderPool(const RenderPool&) = delete;
    RenderPool& operator=(const RenderPool&) = delete;

    // Runs `job` on a painting thread; empty when `queueCapacity` jobs wait already.
    template <typename Job>
    std::optional<std::future<std::invoke_result_t<Job>>> trySubmit(Job job) {
        auto task = std::make_shared<std::packaged_task<std::invoke_result_t<Job>()>>(std::move(job));
        auto result = task->get_future();
        if (!push([task] { (*task)(); })) return std::nullopt;
        return result;
    }

private:
    bool push(std::function<void()> job);
    void work();

    const std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace painter
