// Large blocks taken in large pages where the system offers them. A block
// that is filled once from start to end, such as a model's records, is
// otherwise taken 4 KiB at a time on its first touch, and on a virtual
// machine each of those page faults can cost more than filling the page.
#pragma once

#include <cstddef>
#include <iterator>
#include <vector>

// Blocks smaller than this gain nothing: a large page is 2 MiB.
inline constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;

// Asks the system to back the untouched pages of a block with large pages; a
// hint that changes nothing but the cost of touching them. Does nothing where
// the system has no such request.
void AdviseLargePages(void* data, std::size_t bytes);

// Gives list room for capacity entries in fresh memory advised as above,
// keeping its entries, as list.reserve(capacity) does.
template <typename T> void ReserveInLargePages(std::vector<T>& list, std::size_t capacity) {
    if (capacity <= list.capacity()) {
        return;
    }
    if (capacity * sizeof(T) < kLargePageBytes) {
        list.reserve(capacity);
        return;
    }
    // The advice must come before the entries are moved in: a page touched
    // already is taken at its small size.
    std::vector<T> room;
    room.reserve(capacity);
    AdviseLargePages(room.data(), capacity * sizeof(T));
    room.insert(room.end(), std::make_move_iterator(list.begin()),
                std::make_move_iterator(list.end()));
    list.swap(room);
}
