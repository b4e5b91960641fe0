// A growable, copyable list that keeps its first N elements inside the record
// and moves to the heap only beyond them. Faces hold at most four indices and
// UV pairs, so reading a face line allocates nothing, and a face stays small:
// the list is its N elements (or the pointer that replaces them) and 8 bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <type_traits>

template <typename T, std::size_t N> class InlineList {
    static_assert(std::is_trivially_copyable_v<T>, "InlineList holds plain values only");
    static_assert(N > 0, "InlineList keeps at least one element in place");

  public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    InlineList() noexcept {} // user-provided: a const empty list needs no initialiser
    InlineList(std::initializer_list<T> values) { Append(values.begin(), values.size()); }
    InlineList(const InlineList& other) { Append(other.data(), other.size()); }
    InlineList(InlineList&& other) noexcept { TakeFrom(other); }
    InlineList& operator=(const InlineList& other) {
        if (this != &other) {
            size_ = 0;
            Append(other.data(), other.size());
        }
        return *this;
    }
    InlineList& operator=(InlineList&& other) noexcept {
        if (this != &other) {
            clear();
            TakeFrom(other);
        }
        return *this;
    }
    ~InlineList() { Release(); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T* data() { return spilled() ? heap_ : inline_; }
    const T* data() const { return spilled() ? heap_ : inline_; }

    T& operator[](std::size_t index) { return data()[index]; }
    const T& operator[](std::size_t index) const { return data()[index]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }

    iterator begin() { return data(); }
    iterator end() { return data() + size_; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }

    void push_back(const T& value) {
        const T copy = value; // value may live in the storage that Reserve replaces
        Reserve(std::size_t{size_} + 1);
        data()[size_++] = copy;
    }

    void resize(std::size_t count, const T& value = T{}) {
        const T copy = value;
        Reserve(count);
        std::fill(data() + std::min<std::size_t>(size_, count), data() + count, copy);
        size_ = static_cast<std::uint32_t>(count);
    }

    void pop_back() { --size_; }

    // Replaces the elements with those from first up to last, which lie elsewhere.
    void assign(const T* first, const T* last) {
        size_ = 0;
        Append(first, static_cast<std::size_t>(last - first));
    }

    // Keeps no heap storage, so a cleared list is as cheap as a new one.
    void clear() {
        Release();
        size_ = 0;
    }

    friend bool operator==(const InlineList& a, const InlineList& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

  private:
    // Elements live on the heap exactly when the capacity exceeds N.
    bool spilled() const { return capacity_ > N; }

    void Reserve(std::size_t count) {
        if (count <= capacity_) {
            return;
        }
        const std::size_t capacity = std::max<std::size_t>(count, 2 * std::size_t{capacity_});
        T* bigger = std::allocator<T>().allocate(capacity);
        std::copy_n(data(), size_, bigger);
        Release();
        heap_ = bigger;
        capacity_ = static_cast<std::uint32_t>(capacity);
    }

    void Append(const T* values, std::size_t count) {
        Reserve(size_ + count);
        std::copy_n(values, count, data() + size_);
        size_ += static_cast<std::uint32_t>(count);
    }

    // Gives back the heap storage, if any; the elements are then in place again.
    void Release() {
        if (spilled()) {
            std::allocator<T>().deallocate(heap_, capacity_);
            capacity_ = N;
        }
    }

    // Takes other's elements and leaves it empty.
    void TakeFrom(InlineList& other) {
        if (other.spilled()) {
            heap_ = other.heap_;
            capacity_ = other.capacity_;
            other.capacity_ = N;
        } else {
            std::copy_n(other.inline_, other.size_, inline_);
        }
        size_ = other.size_;
        other.size_ = 0;
    }

    union {
        T inline_[N]{}; // the elements while the capacity is N
        T* heap_;       // all elements once there are more
    };
    std::uint32_t size_ = 0;     // elements held
    std::uint32_t capacity_ = N; // elements that fit without growing
};
