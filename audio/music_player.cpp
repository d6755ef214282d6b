#include "audio/music_player.hpp"

#include <AL/al.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace orv {

namespace {
constexpr auto kRefillPeriod = std::chrono::milliseconds(10);
}

MusicPlayer::MusicPlayer() {
    alGetError();
    alGenSources(1, &source_);
    alGenBuffers(static_cast<ALsizei>(kBlocks), buffers_.data());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source_);
        alDeleteBuffers(static_cast<ALsizei>(kBlocks), buffers_.data());
        throw std::runtime_error("OpenAL cannot make the music source");
    }
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
    // Music (made stereo) goes to the speakers as it is, not placed as two virtual ones.
    alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    block_.resize(kBlockFrames * 2);
    thread_ = std::thread([this] { run(); });
}

MusicPlayer::~MusicPlayer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quitting_ = true;
        clear();
    }
    wake_.notify_all();
    thread_.join();
    alDeleteSources(1, &source_);
    alDeleteBuffers(static_cast<ALsizei>(kBlocks), buffers_.data());
}

void MusicPlayer::clear() {
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);  // unqueues every buffer of a stopped source
    decoder_.reset();
    paused_ = false;
    ended_ = false;
    stopAfterFade_ = false;
}

size_t MusicPlayer::fill(unsigned buffer) {
    const size_t channels = static_cast<size_t>(decoder_->channels());
    size_t frames = 0;
    bool rewound = false;
    while (frames < kBlockFrames && !ended_) {
        const size_t got = decoder_->read(block_.data() + frames * channels, kBlockFrames - frames);
        frames += got;
        if (got > 0) {
            rewound = false;
            continue;
        }
        // The end: a loop goes on from the start within the same block, so it has no gap.
        if (!loop_ || rewound || !decoder_->rewind()) {
            ended_ = true;
        }
        rewound = true;
    }
    if (channels == 1) {
        // Mono music plays on both sides at equal power, as a centred sound does.
        for (size_t i = frames; i-- > 0;) {
            const auto v = static_cast<int16_t>(std::lround(block_[i] * 0.70710678));
            block_[2 * i] = v;
            block_[2 * i + 1] = v;
        }
    }
    if (frames > 0) {
        alBufferData(buffer, AL_FORMAT_STEREO16, block_.data(), static_cast<ALsizei>(frames * 2 * sizeof(int16_t)),
                     decoder_->sampleRate());
    }
    return frames;
}

void MusicPlayer::play(std::unique_ptr<MusicDecoder> decoder, bool loop, float volume, double fadeIn) {
    std::lock_guard<std::mutex> lock(mutex_);
    clear();
    decoder_ = std::move(decoder);
    loop_ = loop;
    volume_ = volume;
    fadeFrom_ = fadeIn > 0.0 ? 0.0f : 1.0f;
    fadeTo_ = 1.0f;
    fadeStart_ = Clock::now();
    fadeLength_ = fadeIn;
    for (unsigned buffer : buffers_) {
        if (fill(buffer) == 0) break;
        alSourceQueueBuffers(source_, 1, &buffer);
    }
    applyFade(fadeStart_);
    alSourcePlay(source_);
}

void MusicPlayer::stop(double fadeOut) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!decoder_) return;
    if (fadeOut <= 0.0 || paused_) {
        clear();
        return;
    }
    // From wherever a fade-in had got to, down to silence.
    const auto now = Clock::now();
    float gain = 0.0f;
    alGetSourcef(source_, AL_GAIN, &gain);
    fadeFrom_ = volume_ > 0.0f ? std::min(1.0f, gain / volume_) : 0.0f;
    fadeTo_ = 0.0f;
    fadeStart_ = now;
    fadeLength_ = fadeOut;
    stopAfterFade_ = true;
}

void MusicPlayer::pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!decoder_ || paused_) return;
    paused_ = true;
    pausedAt_ = Clock::now();
    alSourcePause(source_);
}

void MusicPlayer::resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!decoder_ || !paused_) return;
    paused_ = false;
    // A fade holds while paused: it goes on from where it was, not from where the clock is.
    fadeStart_ += Clock::now() - pausedAt_;
    alSourcePlay(source_);
}

bool MusicPlayer::playing() {
    std::lock_guard<std::mutex> lock(mutex_);
    return decoder_ && !paused_;
}

void MusicPlayer::applyFade(Clock::time_point now) {
    float factor = fadeTo_;
    if (fadeLength_ > 0.0) {
        const double t = std::chrono::duration<double>(now - fadeStart_).count() / fadeLength_;
        factor = t >= 1.0 ? fadeTo_ : fadeFrom_ + (fadeTo_ - fadeFrom_) * static_cast<float>(std::max(0.0, t));
    }
    alSourcef(source_, AL_GAIN, volume_ * factor);
    if (stopAfterFade_ && factor == fadeTo_) clear();
}

void MusicPlayer::refill() {
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && !ended_; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
        if (fill(buffer) > 0) alSourceQueueBuffers(source_, 1, &buffer);
    }
    ALint state = AL_STOPPED;
    ALint queued = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    ALint left = queued;
    if (ended_) {
        alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
        left = queued - processed;
    }
    if (state == AL_STOPPED) {
        if (left > 0 && !paused_) {
            // The mixer ran dry before we refilled (a stalled machine): go on from here.
            alSourcePlay(source_);
        } else if (ended_) {
            clear();
        }
    }
}

void MusicPlayer::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quitting_) {
        wake_.wait_for(lock, kRefillPeriod);
        if (quitting_ || !decoder_) continue;
        refill();
        if (decoder_ && !paused_) applyFade(Clock::now());
    }
}

}  // namespace orv
