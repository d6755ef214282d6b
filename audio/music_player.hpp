#pragma once
// One music track streamed from its file: a few blocks queued on an OpenAL source, refilled
// by our thread as the mixer finishes them, with fades. Nothing here waits for the mixer.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/music_decoder.hpp"

namespace orv {

class MusicPlayer {
public:
    // Needs a current OpenAL context. Throws std::runtime_error when OpenAL refuses.
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Replaces what plays. The first blocks are decoded here, so it sounds at once.
    void play(std::unique_ptr<MusicDecoder> decoder, bool loop, float volume, double fadeIn);
    // fadeOut 0 stops at once.
    void stop(double fadeOut);
    void pause();
    void resume();
    // Sounding now: not paused, not stopped, not at its end (a fade-out still sounds).
    bool playing();

private:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kBlocks = 4;
    static constexpr size_t kBlockFrames = 4096;

    void run();
    void clear();
    size_t fill(unsigned buffer);
    void refill();
    void applyFade(Clock::time_point now);

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quitting_ = false;
    unsigned source_ = 0;
    std::array<unsigned, kBlocks> buffers_{};
    std::vector<int16_t> block_;
    std::unique_ptr<MusicDecoder> decoder_;
    bool loop_ = false;
    bool ended_ = false;  // the decoder has given its last frame
    bool paused_ = false;
    float volume_ = 1.0f;
    // The gain factor ramps from fadeFrom_ to fadeTo_ over fadeLength_ from fadeStart_.
    float fadeFrom_ = 1.0f;
    float fadeTo_ = 1.0f;
    Clock::time_point fadeStart_{};
    double fadeLength_ = 0.0;
    bool stopAfterFade_ = false;
    Clock::time_point pausedAt_{};
    std::thread thread_;
};

}  // namespace orv
