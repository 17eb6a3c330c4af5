#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

// Items 0 ... count - 1 handed out one at a time, in increasing order, to workers on threads of
// their own: a worker that the system holds back takes fewer. The pool stops handing out items
// and joins its threads when it is destroyed, after each worker has finished its current item.

namespace engine {

class WorkerPool {
public:
    explicit WorkerPool(std::int64_t count) : count_(count) {}
    ~WorkerPool() { Stop(); } // the threads are joined after this, as members are destroyed
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Starts up to `threads` threads, each running `worker`, which takes its items with Next().
    // Returns how many started: fewer when the system refuses more.
    unsigned Start(unsigned threads, const std::function<void()>& worker);

    // The next item, or Count() when none is left.
    std::int64_t Next()
    {
        const std::int64_t item = next_.fetch_add(1);
        return item < count_ ? item : count_;
    }
    std::int64_t Count() const { return count_; }

    // No item is handed out after this.
    void Stop() { next_ = count_; }

private:
    std::int64_t count_;
    std::atomic<std::int64_t> next_{0};
    std::vector<std::jthread> threads_; // last, so they are joined before the rest goes
};

} // namespace engine
