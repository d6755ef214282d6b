#pragma once
// A file path argument: a str or any os.PathLike. A NUL in it raises ValueError, as open()
// does, rather than cut the path short where the file system would.

#include <pybind11/pybind11.h>

#include <string>

namespace qel {

std::string pathArgument(const pybind11::object& path);

}  // namespace qel
