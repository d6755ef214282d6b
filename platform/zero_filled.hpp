#pragma once
// Zero-filled heap storage for plain records that give it as their class-specific
// operator new. pybind11 allocates a bound record through that operator when a method
// runs on an instance whose __init__ never did; the record then reads as all zeros
// instead of whatever the allocator left there.

#include <cstddef>
#include <cstring>
#include <new>

namespace orv {

inline void* zeroFilled(std::size_t size) {
    void* storage = ::operator new(size);
    std::memset(storage, 0, size);
    return storage;
}

}  // namespace orv
