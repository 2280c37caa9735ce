#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>

namespace shutterhand::pascal {

// A growable list that keeps its first N elements inside itself, for the short-lived lists the
// compiler builds by the thousand (arguments, statements), most of which are short.
template <typename T, std::size_t N> class SmallVec {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    SmallVec() = default;
    SmallVec(const SmallVec&) = delete;
    SmallVec& operator=(const SmallVec&) = delete;

    void push_back(const T& value)
    {
        if (size_ == capacity_)
            grow();
        data_[size_++] = value;
    }
    // Sets the size, filling new elements with `value`.
    void resize(std::size_t n, const T& value)
    {
        while (capacity_ < n)
            grow();
        for (std::size_t i = size_; i < n; ++i)
            data_[i] = value;
        size_ = n;
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& back() { return data_[size_ - 1]; }
    std::span<const T> span() const { return {data_, size_}; }

private:
    void grow()
    {
        std::size_t capacity = capacity_ * 2;
        auto bigger = std::make_unique<T[]>(capacity);
        std::memcpy(static_cast<void*>(bigger.get()), data_, size_ * sizeof(T));
        heap_ = std::move(bigger);
        data_ = heap_.get();
        capacity_ = capacity;
    }

    T inline_[N];
    T* data_ = inline_;
    std::size_t size_ = 0;
    std::size_t capacity_ = N;
    std::unique_ptr<T[]> heap_;
};

}  // namespace shutterhand::pascal
