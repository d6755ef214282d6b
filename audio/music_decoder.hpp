#pragma once
// Music read from its file a block at a time, never decoded whole: a long file starts at
// once and costs only its blocks in memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;

namespace orv {

// Music files may be long, but a file this big is refused.
constexpr unsigned long long kMaxMusicFileBytes = 1ull << 30;

class MusicDecoder {
public:
    // Opens a regular file and reads its header. Throws std::runtime_error with the reason
    // alone, for the caller to put after the path.
    explicit MusicDecoder(const std::string& path);
    ~MusicDecoder();
    MusicDecoder(const MusicDecoder&) = delete;
    MusicDecoder& operator=(const MusicDecoder&) = delete;

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }  // 1 or 2

    // Up to `frames` interleaved 16-bit frames; fewer at the end of the file, 0 after it.
    size_t read(int16_t* out, size_t frames);
    // Back to the first frame; false when the file cannot seek.
    bool rewind();

    // A file of at most this many frames loops from memory once read through: a loop of a
    // few samples would otherwise seek and decode again thousands of times a block (an MP3
    // decoder starts over at each seek).
    static constexpr size_t kShortLoopFrames = 1 << 16;

private:
    sf_private_tag* file_ = nullptr;
    std::vector<int16_t> held_;
    bool keeping_ = true;
    bool whole_ = false;
    size_t at_ = 0;
    int sampleRate_ = 0;
    int channels_ = 0;
};

}  // namespace orv
