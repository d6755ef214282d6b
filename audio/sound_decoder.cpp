#include "audio/sound_decoder.hpp"

#include "audio/cut_short.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace orv {

namespace {

struct MemoryFile {
    const uint8_t* data;
    sf_count_t size;
    sf_count_t at;
};

sf_count_t memoryLength(void* user) { return static_cast<MemoryFile*>(user)->size; }

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->at : f->size;
    // Out-of-range seeks are refused rather than wrapped: the decoder reads garbage offsets.
    if (offset > f->size || offset < -f->size) return -1;
    const sf_count_t to = base + offset;
    if (to < 0 || to > f->size) return -1;
    f->at = to;
    return to;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, f->size - f->at));
    if (n > 0) std::memcpy(out, f->data + f->at, static_cast<size_t>(n));
    f->at += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t memoryTell(void* user) { return static_cast<MemoryFile*>(user)->at; }

struct CloseSndfile {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

}  // namespace

DecodedSound decodeSound(const uint8_t* data, size_t size) {
    MemoryFile file{data, static_cast<sf_count_t>(size), 0};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseSndfile> sf(sf_open_virtual(&io, SFM_READ, &info, &file));
    if (!sf) {
        throw std::runtime_error(std::string("not a sound file libsndfile reads (") + sf_strerror(nullptr) + ")");
    }
    if (samplesCutShort(sf.get())) {
        throw std::runtime_error("the file ended early (its header promises more samples)");
    }
    if (info.channels < 1 || info.channels > 64) {
        throw std::runtime_error("unsupported channel count " + std::to_string(info.channels));
    }
    if (info.samplerate < kMinSampleRate || info.samplerate > kMaxSampleRate) {
        throw std::runtime_error("unsupported sample rate " + std::to_string(info.samplerate) + " Hz");
    }
    const auto maxFrames = static_cast<sf_count_t>(kMaxSoundSeconds * info.samplerate);
    // An Ogg whose end libsndfile cannot find (cut short, or padded after its last page)
    // reads as SF_COUNT_MAX frames: its length is unknown, not long.
    const bool lengthKnown = info.frames != SF_COUNT_MAX;
    if (lengthKnown && info.frames > maxFrames) {
        throw std::runtime_error("longer than " + std::to_string(static_cast<int>(kMaxSoundSeconds)) +
                                 " seconds: play it as music");
    }
    DecodedSound sound;
    sound.sampleRate = info.samplerate;
    const size_t channels = static_cast<size_t>(info.channels);
    std::vector<float> block(4096 * channels);
    sf_count_t total = 0;
    for (;;) {
        const sf_count_t got = sf_readf_float(sf.get(), block.data(), 4096);
        if (got <= 0) break;
        total += got;
        // The header's length may be missing (streams): the limit holds for what is decoded.
        if (total > maxFrames) {
            throw std::runtime_error("longer than " + std::to_string(static_cast<int>(kMaxSoundSeconds)) +
                                     " seconds: play it as music");
        }
        for (sf_count_t i = 0; i < got; ++i) {
            float sum = 0.0f;
            for (size_t c = 0; c < channels; ++c) sum += block[static_cast<size_t>(i) * channels + c];
            float v = sum / static_cast<float>(channels);
            if (!std::isfinite(v)) v = 0.0f;
            v = std::clamp(v, -1.0f, 1.0f);
            sound.samples.push_back(static_cast<int16_t>(std::lround(v * 32767.0f)));
        }
    }
    if (sf_error(sf.get()) != SF_ERR_NO_ERROR) {
        throw std::runtime_error(std::string("cannot decode: ") + sf_strerror(sf.get()));
    }
    if (info.frames > 0 && lengthKnown && total < info.frames) {
        throw std::runtime_error("the file ended early (" + std::to_string(total) + " of " +
                                 std::to_string(info.frames) + " frames)");
    }
    if (sound.samples.empty()) {
        throw std::runtime_error(lengthKnown ? "the file holds no samples"
                                             : "the file holds no samples it can decode (cut short?)");
    }
    return sound;
}

}  // namespace orv
