// libFuzzer target: decoding sound bytes (whatever libsndfile reads) must give mono samples
// within the length limit or a clean error, never a crash, a leak or undefined behaviour.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "audio/sound_decoder.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const orv::DecodedSound sound = orv::decodeSound(data, size);
        if (sound.samples.empty() || sound.sampleRate < orv::kMinSampleRate || sound.sampleRate > orv::kMaxSampleRate ||
            sound.duration() > orv::kMaxSoundSeconds) {
            std::abort();
        }
    } catch (const std::runtime_error&) {
        // A refused sound is an answer.
    }
    return 0;
}
