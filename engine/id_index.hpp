#pragma once
// Object identifier to slot, in a flat open-addressing table: the scene looks objects up on
// every move, so this is a few loads rather than a node walk, and it shrinks back when
// objects are removed.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

class IdIndex {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    // The slot of `id`, or kNone.
    uint32_t find(uint32_t id) const {
        if (count == 0) {
            return kNone;
        }
        for (size_t i = home(id);; i = (i + 1) & mask) {
            const Entry& e = entries[i];
            if (e.slot == kNone) {
                return kNone;
            }
            if (e.id == id) {
                return e.slot;
            }
        }
    }
    // Starts loading where `id` would be, for a find() a little later: batch calls look up
    // thousands of scattered identifiers, and overlapping their cache misses pays.
    // (Unconditional: GCC drops a prefetch that is all a branch does. Prefetching never faults.)
    void prefetch(uint32_t id) const { __builtin_prefetch(entries.data() + (count != 0 ? home(id) : 0)); }
    void insert(uint32_t id, uint32_t slot);
    // Returns the slot it held, or kNone.
    uint32_t erase(uint32_t id);
    size_t size() const { return count; }

private:
    struct Entry {
        uint32_t id = 0;
        uint32_t slot = kNone;  // kNone marks an empty entry
    };

    size_t home(uint32_t id) const {
        // Fibonacci hashing spreads consecutive identifiers over the table.
        return static_cast<size_t>((static_cast<uint64_t>(id) * 0x9E3779B97F4A7C15ull) >> shift);
    }
    void resize(size_t capacity);

    std::vector<Entry> entries;
    size_t mask = 0;
    unsigned shift = 64;
    size_t count = 0;
};

}  // namespace orv
