#pragma once
// Finishes a frame on a thread of its own: the script's thread lowers the scene and hands
// the rest (binning, writing the uploads, recording, submitting) over, so the script goes
// on with its next update while the frame is finished. One frame at a time; the thread is
// started by the first frame handed over and joined when the worker goes.

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace orv {

class FrameWorker {
public:
    FrameWorker() = default;
    ~FrameWorker();

    FrameWorker(const FrameWorker&) = delete;
    FrameWorker& operator=(const FrameWorker&) = delete;

    // Waits for the frame in hand, then starts `job` on the worker's thread. Throws
    // std::system_error, with nothing in hand, when the thread cannot be started.
    void start(std::function<void()> job);
    // Waits for the frame in hand; what its job threw is handed over once (null if nothing).
    std::exception_ptr wait() noexcept;

private:
    void serve();

    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;  // set while a frame is in hand
    std::exception_ptr error;
    bool stopping = false;
    std::thread thread;  // last: started after the members it uses
};

}  // namespace orv
