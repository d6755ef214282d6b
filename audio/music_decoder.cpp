#include "audio/music_decoder.hpp"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "audio/cut_short.hpp"
#include "audio/sound_decoder.hpp"

namespace orv {

MusicDecoder::MusicDecoder(const std::string& path) {
    // As for pictures: non-blocking, so a FIFO is refused rather than waited on, and the
    // descriptor checked is the one read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw std::runtime_error(std::strerror(errno));
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = S_ISREG(st.st_mode) ? std::strerror(errno) : "not a regular file";
        ::close(fd);
        throw std::runtime_error(reason);
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxMusicFileBytes) {
        ::close(fd);
        throw std::runtime_error("the file is too large for music (" + std::to_string(st.st_size) + " bytes)");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    SF_INFO info{};
    file_ = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (!file_) {
        ::close(fd);  // sf_open_fd leaves the descriptor open when it fails
        throw std::runtime_error(std::string("not a sound file libsndfile reads (") + sf_strerror(nullptr) + ")");
    }
    if (samplesCutShort(file_)) {
        sf_close(file_);
        file_ = nullptr;
        throw std::runtime_error("the file ended early (its header promises more samples)");
    }
    if (info.channels < 1 || info.channels > 2 || info.samplerate < kMinSampleRate ||
        info.samplerate > kMaxSampleRate) {
        sf_close(file_);
        file_ = nullptr;
        throw std::runtime_error("music must be mono or stereo at " + std::to_string(kMinSampleRate) + " to " +
                                 std::to_string(kMaxSampleRate) + " Hz (this is " + std::to_string(info.channels) +
                                 " channels at " + std::to_string(info.samplerate) + " Hz)");
    }
    // Floating-point samples (WAV, AIFF, CAF, W64, AU) are read as 16-bit at full scale; without
    // this libsndfile only truncates them, and -1..1 comes out as silence.
    sf_command(file_, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
}

MusicDecoder::~MusicDecoder() {
    if (file_) sf_close(file_);
}

size_t MusicDecoder::read(int16_t* out, size_t frames) {
    const size_t channels = static_cast<size_t>(channels_);
    if (whole_) {
        const size_t n = std::min(frames, held_.size() / channels - at_);
        std::copy_n(held_.data() + at_ * channels, n * channels, out);
        at_ += n;
        return n;
    }
    const sf_count_t got = sf_readf_short(file_, out, static_cast<sf_count_t>(frames));
    const size_t n = got > 0 ? static_cast<size_t>(got) : 0;
    if (keeping_) {
        // The start of the file is kept until it proves longer than a short loop.
        if (held_.size() + n * channels > kShortLoopFrames * channels) {
            keeping_ = false;
            held_ = {};
        } else {
            held_.insert(held_.end(), out, out + n * channels);
            if (n == 0) whole_ = !held_.empty();
        }
    }
    return n;
}

bool MusicDecoder::rewind() {
    if (whole_) {
        at_ = 0;
        return true;
    }
    if (keeping_) held_.clear();
    return sf_seek(file_, 0, SEEK_SET) == 0;
}

}  // namespace orv
