// A growable, copyable list that keeps its first N elements inside the record
// and moves to the heap only beyond them. Faces hold at most four indices and
// UV pairs, so reading a face line allocates nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <vector>

template <typename T, std::size_t N> class InlineList {
    static_assert(std::is_trivially_copyable_v<T>, "InlineList holds plain values only");

  public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    InlineList() = default;
    InlineList(std::initializer_list<T> values) {
        for (const T& value : values) {
            push_back(value);
        }
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T* data() { return spilled() ? overflow_.data() : inline_; }
    const T* data() const { return spilled() ? overflow_.data() : inline_; }

    T& operator[](std::size_t index) { return data()[index]; }
    const T& operator[](std::size_t index) const { return data()[index]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }

    iterator begin() { return data(); }
    iterator end() { return data() + size_; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }

    void push_back(const T& value) {
        if (size_ < N) {
            inline_[size_++] = value;
            return;
        }
        if (!spilled()) {
            overflow_.assign(inline_, inline_ + N);
        }
        overflow_.push_back(value);
        ++size_;
    }

    void resize(std::size_t count, const T& value = T{}) {
        while (size_ > count) {
            pop_back();
        }
        while (size_ < count) {
            push_back(value);
        }
    }

    void pop_back() {
        if (spilled()) {
            overflow_.pop_back();
            if (overflow_.size() == N) {
                std::copy(overflow_.begin(), overflow_.end(), inline_);
                overflow_.clear();
            }
        }
        --size_;
    }

    // Keeps no heap storage, so a cleared list is as cheap as a new one.
    void clear() {
        size_ = 0;
        std::vector<T>().swap(overflow_);
    }

    friend bool operator==(const InlineList& a, const InlineList& b) {
        return a.size_ == b.size_ && std::equal(a.begin(), a.end(), b.begin());
    }

  private:
    bool spilled() const { return size_ > N; }

    T inline_[N]{};
    std::vector<T> overflow_;
    std::size_t size_ = 0;
};
