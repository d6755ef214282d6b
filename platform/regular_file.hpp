#pragma once
// Reading a whole file that a script names: only regular files, only up to a size, and
// without blocking on a FIFO that has no writer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// The file's bytes. Throws std::runtime_error with the reason alone (the system's text, "not
// a regular file", "the file is too large for WHAT (N bytes)", "the file ended early"), for
// the caller to put after the path.
std::vector<uint8_t> readRegularFile(const std::string& path, size_t maxBytes, const char* what);

}  // namespace orv
