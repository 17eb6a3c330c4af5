#include "engine/worker_pool.h"

#include <system_error>

namespace engine {

unsigned WorkerPool::Start(unsigned threads, const std::function<void()>& worker)
{
    threads_.reserve(threads_.size() + threads);
    unsigned started = 0;
    for (; started < threads; ++started) {
        try {
            threads_.emplace_back(worker);
        } catch (const std::system_error&) {
            break; // the threads started so far take every item
        }
    }
    return started;
}

} // namespace engine
