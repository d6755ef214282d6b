#include "engine/id_index.hpp"

namespace orv {

namespace {
constexpr size_t kMinCapacity = 16;
}  // namespace

void IdIndex::resize(size_t capacity) {
    std::vector<Entry> old = std::move(entries);
    entries.assign(capacity, Entry{});
    mask = capacity - 1;
    shift = 64;
    for (size_t c = capacity; c > 1; c >>= 1) {
        --shift;
    }
    for (const Entry& e : old) {
        if (e.slot != kNone) {
            size_t i = home(e.id);
            while (entries[i].slot != kNone) {
                i = (i + 1) & mask;
            }
            entries[i] = e;
        }
    }
}

void IdIndex::insert(uint32_t id, uint32_t slot) {
    // At most half full, so probes stay short.
    if ((count + 1) * 2 > entries.size()) {
        resize(entries.empty() ? kMinCapacity : entries.size() * 2);
    }
    size_t i = home(id);
    while (entries[i].slot != kNone && entries[i].id != id) {
        i = (i + 1) & mask;
    }
    if (entries[i].slot == kNone) {
        ++count;
    }
    entries[i] = Entry{id, slot};
}

uint32_t IdIndex::erase(uint32_t id) {
    if (count == 0) {
        return kNone;
    }
    size_t i = home(id);
    while (entries[i].slot != kNone && entries[i].id != id) {
        i = (i + 1) & mask;
    }
    const uint32_t slot = entries[i].slot;
    if (slot == kNone) {
        return kNone;
    }
    // Backward-shift deletion: move later entries of the run into the gap, so lookups need
    // no tombstones.
    size_t gap = i;
    for (size_t j = (gap + 1) & mask; entries[j].slot != kNone; j = (j + 1) & mask) {
        const size_t want = home(entries[j].id);
        // Entry j may move into the gap unless its home lies cyclically in (gap, j].
        const bool homeBetween = gap <= j ? (gap < want && want <= j) : (gap < want || want <= j);
        if (!homeBetween) {
            entries[gap] = entries[j];
            gap = j;
        }
    }
    entries[gap] = Entry{};
    --count;
    if (entries.size() > kMinCapacity && count * 8 < entries.size()) {
        resize(entries.size() / 2);
    }
    return slot;
}

}  // namespace orv
