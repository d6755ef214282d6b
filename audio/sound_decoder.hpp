#pragma once
// Decoding a whole sound file held in memory (WAV, OGG Vorbis, FLAC, MP3: whatever
// libsndfile reads) into mono 16-bit samples, ready for one OpenAL buffer.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

// A file bigger than this is not read for a sound; music streams instead.
constexpr size_t kMaxSoundFileBytes = size_t{256} << 20;
// Decoded sounds are held whole, so their length is bounded.
constexpr double kMaxSoundSeconds = 600.0;
constexpr int kMinSampleRate = 1000;
constexpr int kMaxSampleRate = 384000;

struct DecodedSound {
    int sampleRate = 0;
    std::vector<int16_t> samples;  // mono: every channel of the file mixed down

    double duration() const { return sampleRate > 0 ? static_cast<double>(samples.size()) / sampleRate : 0.0; }
};

// Throws std::runtime_error with the reason alone ("not a sound file ...", "the file ended
// early", "longer than ... seconds") for the caller to put after the path.
DecodedSound decodeSound(const uint8_t* data, size_t size);

}  // namespace orv
