#pragma once
// A file path argument: a str or any os.PathLike.

#include <pybind11/pybind11.h>

#include <string>

namespace qel {

std::string pathArgument(const pybind11::object& path);

}  // namespace qel
