#include "audio/cut_short.hpp"

#include <sndfile.h>

#include <cstring>
#include <string>

namespace orv {

bool samplesCutShort(SNDFILE* file) {
    // The log line reads, for example, "data : 96000 (should be 29956)".
    std::string log(8192, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(std::strlen(log.c_str()));
    for (const char* chunk : {"\ndata : ", "\nSSND : "}) {
        const size_t at = log.find(chunk);
        if (at == std::string::npos) continue;
        if (log.substr(at, log.find('\n', at + 1) - at).find("(should be") != std::string::npos) return true;
    }
    return false;
}

}  // namespace orv
