#include "engine/frame_worker.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace orv {
namespace {

TEST(FrameWorker, RunsFramesInTurnOffTheCallersThreadAndHandsBackWhatOneThrew) {
    std::vector<int> done;  // written by the jobs only, read after a wait
    std::thread::id ranOn;
    {
        FrameWorker worker;
        for (int frame = 0; frame < 50; ++frame) {
            // start() waits for the frame in hand: a slow job is never overlapped.
            worker.start([&, frame] {
                if (frame % 10 == 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                done.push_back(frame);
                ranOn = std::this_thread::get_id();
            });
        }
        EXPECT_EQ(worker.wait(), nullptr);
        ASSERT_EQ(done.size(), 50u);
        for (int frame = 0; frame < 50; ++frame) {
            EXPECT_EQ(done[frame], frame);
        }
        EXPECT_NE(ranOn, std::this_thread::get_id());

        worker.start([] { throw std::runtime_error("failed to submit"); });
        const std::exception_ptr failure = worker.wait();
        ASSERT_NE(failure, nullptr);
        EXPECT_THROW(std::rethrow_exception(failure), std::runtime_error);
        EXPECT_EQ(worker.wait(), nullptr);  // handed over once
        // Left with a frame in hand: the destructor waits for it, then joins.
        worker.start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            done.push_back(50);
        });
    }
    EXPECT_EQ(done.size(), 51u);
}

}  // namespace
}  // namespace orv
