#include "bench/load_speed/number_costs.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <time.h>
#include <vector>

#include "model/plain_lines.h"
#include "model/tokenizer.h"

namespace {

// Passes over all lists; the fastest counts, as the least disturbed.
constexpr int kPasses = 7;

// The processor time of this thread: on a machine shared with other work,
// time when the thread does not run is not the reader's.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct NumberList {
    const char* text;
    int count;
};

struct GridLists {
    std::vector<NumberList> floats; // vertex positions and texture coordinates
    std::vector<NumberList> ints;   // vertex indices of the faces
    long long floatCount = 0;
    long long intCount = 0;
};

// The lists of every vertex line ("\t\t" and three numbers) and of every face
// line's "V(" and "UV(" parts.
GridLists FindLists(const std::string& text) {
    GridLists lists;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end;
        const std::string_view line(text.data() + at, end - at);
        const std::size_t indices = line.find(" V(");
        const std::size_t uvs = line.find(" UV(");
        if (indices != std::string_view::npos && uvs != std::string_view::npos) {
            lists.ints.push_back({line.data() + indices + 3, 4});
            lists.floats.push_back({line.data() + uvs + 4, 8});
        } else if (line.starts_with("\t\t") && line.size() > 2 &&
                   (line[2] == '-' || (line[2] >= '0' && line[2] <= '9'))) {
            lists.floats.push_back({line.data() + 2, 3});
        }
        at = end + 1;
    }
    for (const NumberList& list : lists.floats) {
        lists.floatCount += list.count;
    }
    for (const NumberList& list : lists.ints) {
        lists.intCount += list.count;
    }
    return lists;
}

// Seconds of the fastest pass over the lists, and a sum of the bit patterns
// of what was read (a chain of one-cycle additions, which costs the reading
// little), so that neither way can look fast by reading something else.
template <typename Number>
double TimeLists(const std::vector<NumberList>& lists, ListReading reading, std::uint64_t& sum) {
    double best = 1e30;
    for (int pass = 0; pass < kPasses; ++pass) {
        std::uint64_t passSum = 0;
        const double start = ThreadSeconds();
        for (const NumberList& list : lists) {
            Number values[8] = {};
            if (ReadPlainList(list.text, values, list.count, reading) == nullptr) {
                std::fprintf(stderr, "korvane_load_speed: a list of the grid is not plain\n");
                std::exit(1);
            }
            for (int i = 0; i < list.count; ++i) {
                std::uint32_t bits = 0;
                std::memcpy(&bits, &values[i], sizeof bits);
                passSum += bits;
            }
        }
        best = std::min(best, ThreadSeconds() - start);
        sum = passSum;
    }
    return best;
}

template <typename Number>
double PrintRow(const char* name, const std::vector<NumberList>& lists, long long count) {
    std::uint64_t before = 0;
    std::uint64_t now = 0;
    const double oneByOne = TimeLists<Number>(lists, ListReading::kOneByOne, before);
    const double masked = TimeLists<Number>(lists, ListReading::kMasked, now);
    if (before != now) {
        std::fprintf(stderr, "korvane_load_speed: the two readings of %s differ\n", name);
        std::exit(1);
    }
    std::printf("  %-10s %6.2f M %12.2f ns %12.2f ns %8.2f x   %6.1f ms -> %6.1f ms\n", name,
                count / 1e6, oneByOne / count * 1e9, masked / count * 1e9, oneByOne / masked,
                oneByOne * 1e3, masked * 1e3);
    return masked;
}

} // namespace

double PrintNumberCosts(const std::string& document, int cells) {
    // The readers may look at the bytes that follow a line's end.
    std::string text = document;
    text.append(StringSeparator::kScanPadding + 1, '\0');
    const GridLists lists = FindLists(text);
    std::printf("\nNumbers of the %d x %d grid read from memory, best of %d passes in processor "
                "time:\n",
                cells, cells, kPasses);
    std::printf("  %-10s %8s %15s %15s %10s   %s\n", "", "count", "one by one", "from masks",
                "speed-up", "all of them");
    return PrintRow<float>("floats", lists.floats, lists.floatCount) +
           PrintRow<int>("integers", lists.ints, lists.intCount);
}
