#include "engine/frame_worker.hpp"

#include <utility>

namespace orv {

FrameWorker::~FrameWorker() {
    if (thread.joinable()) {
        // A frame in hand is finished first: its job may hold what its caller counts on.
        (void)wait();
        {
            std::lock_guard<std::mutex> lock{mutex};
            stopping = true;
        }
        changed.notify_all();
        thread.join();
    }
}

void FrameWorker::start(std::function<void()> next) {
    std::unique_lock<std::mutex> lock{mutex};
    changed.wait(lock, [this] { return !job; });
    // Started before the job is set: if it cannot be, nothing is left in hand.
    if (!thread.joinable()) {
        thread = std::thread{[this] { serve(); }};
    }
    job = std::move(next);
    lock.unlock();
    changed.notify_all();
}

std::exception_ptr FrameWorker::wait() noexcept {
    std::unique_lock<std::mutex> lock{mutex};
    changed.wait(lock, [this] { return !job; });
    return std::exchange(error, nullptr);
}

void FrameWorker::serve() {
    std::unique_lock<std::mutex> lock{mutex};
    for (;;) {
        changed.wait(lock, [this] { return stopping || job; });
        if (stopping) {
            return;
        }
        // The job runs unlocked: only wait() and start() touch the state meanwhile, and both
        // wait for the job to be cleared.
        std::function<void()> work = job;
        lock.unlock();
        std::exception_ptr thrown;
        try {
            work();
        } catch (...) {
            thrown = std::current_exception();
        }
        work = nullptr;
        lock.lock();
        error = thrown;
        job = nullptr;
        changed.notify_all();
    }
}

}  // namespace orv
