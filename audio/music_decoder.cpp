#include "audio/music_decoder.hpp"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

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
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
}

MusicDecoder::~MusicDecoder() {
    if (file_) sf_close(file_);
}

size_t MusicDecoder::read(int16_t* out, size_t frames) {
    const sf_count_t got = sf_readf_short(file_, out, static_cast<sf_count_t>(frames));
    return got > 0 ? static_cast<size_t>(got) : 0;
}

bool MusicDecoder::rewind() { return sf_seek(file_, 0, SEEK_SET) == 0; }

}  // namespace orv
