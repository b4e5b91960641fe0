#include "model/inline_list.h"

#include <gtest/gtest.h>
#include <numeric>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/allocation_counter.h"

namespace {

using List = InlineList<int, 4>;

std::vector<int> Elements(const List& list) {
    return std::vector<int>(list.begin(), list.end());
}

List Counting(int count) {
    List list;
    for (int i = 0; i < count; ++i) {
        list.push_back(i);
    }
    return list;
}

} // namespace

TEST(InlineList, GrowsPastItsInlineElementsKeepingOrder) {
    for (int count : {0, 1, 4, 5, 9, 33}) {
        std::vector<int> expected(static_cast<std::size_t>(count));
        std::iota(expected.begin(), expected.end(), 0);
        const List list = Counting(count);
        EXPECT_EQ(Elements(list), expected) << count;
        EXPECT_EQ(std::tuple(list.size(), list.empty()), std::tuple(expected.size(), count == 0));
    }
}

TEST(InlineList, CopiesMovesAndSelfAssignmentLeaveWholeIndependentLists) {
    for (int count : {2, 3, 4, 5, 8, 12}) {
        List original = Counting(count);
        List copy = original;
        List assigned = Counting(20);
        assigned = original;
        original[0] = 100;
        original.push_back(7);
        EXPECT_EQ(copy, Counting(count)) << count;
        EXPECT_EQ(assigned, Counting(count)) << count;

        List moved = std::move(copy);
        EXPECT_EQ(moved, Counting(count)) << count;
        EXPECT_TRUE(copy.empty()) << count; // a moved-from list is empty and usable
        copy.push_back(5);
        EXPECT_EQ(copy, List{5});

        List moveAssigned = Counting(9);
        moveAssigned = std::move(moved);
        EXPECT_EQ(moveAssigned, Counting(count)) << count;

        List list = Counting(count);
        list = std::as_const(list);
        EXPECT_EQ(list, Counting(count)) << "self-assigned, " << count;
        // At the moment of growing, the element pushed lives in the old storage.
        list.push_back(list[1]);
        EXPECT_EQ(std::tuple(list.back(), list.size()), std::tuple(1, count + 1u)) << count;
    }
}

TEST(InlineList, ResizePopAndClear) {
    List list = Counting(6);
    list.resize(8, -1);
    EXPECT_EQ(Elements(list), (std::vector<int>{0, 1, 2, 3, 4, 5, -1, -1}));
    list.resize(2);
    EXPECT_EQ(Elements(list), (std::vector<int>{0, 1}));
    list.pop_back();
    EXPECT_EQ(Elements(list), (std::vector<int>{0}));
    list.clear();
    EXPECT_TRUE(list.empty());
    list.push_back(9);
    EXPECT_EQ(Elements(list), (std::vector<int>{9}));
    EXPECT_NE(Counting(3), Counting(4));
}

TEST(InlineList, AllocatesOnlyBeyondItsInlineElements) {
    if (!AllocationCountingActive()) {
        GTEST_SKIP() << "another allocator is in place and nothing is counted";
    }
    AllocationScope scope;
    List list = Counting(4);
    List copy = list;
    list.clear();
    list = copy;
    EXPECT_EQ(scope.Allocations(), 0u);
    list.push_back(4);
    EXPECT_EQ(scope.Allocations(), 1u);
    list.clear();
    list.push_back(1);
    EXPECT_EQ(scope.Allocations(), 1u) << "a cleared list is back in place";
}
