#pragma once
// A file path argument as open() takes it: str, bytes or any os.PathLike, encoded to the file
// system's bytes as os.fsencode does, so names that are not UTF-8 (os.listdir gives them with
// surrogate escapes) reach the file. A NUL in it raises ValueError rather than cut it short.

#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>

namespace qel {

std::string pathArgument(const pybind11::handle& path);

// Called while `error` is being handled: an engine error whose message names a file that is
// not UTF-8 becomes a RuntimeError showing the bytes that do not decode as \xNN; any other
// goes on as it is.
[[noreturn]] void raiseNamingPath(const std::runtime_error& error);

// Runs an engine call whose errors name a path.
template <typename Call>
auto namingPath(Call&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const std::runtime_error& error) {
        raiseNamingPath(error);
    }
}

}  // namespace qel
