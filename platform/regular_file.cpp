#include "platform/regular_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace orv {

std::vector<uint8_t> readRegularFile(const std::string& path, size_t maxBytes, const char* what) {
    // Non-blocking, so a FIFO is refused rather than waited on; fstat on the descriptor, so
    // what is checked is what gets read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        throw std::runtime_error(std::strerror(errno));
    }
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } closer{fd};
    struct stat info{};
    if (::fstat(fd, &info) != 0) {
        throw std::runtime_error(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        throw std::runtime_error("not a regular file");
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        throw std::runtime_error(std::string("the file is too large for ") + what + " (" +
                                 std::to_string(info.st_size) + " bytes)");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            throw std::runtime_error(got < 0 ? std::strerror(errno) : "the file ended early");
        }
        done += static_cast<size_t>(got);
    }
    return bytes;
}

}  // namespace orv
