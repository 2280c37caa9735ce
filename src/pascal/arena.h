#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace shutterhand::pascal {

// A bump allocator for the compiler's short-lived data (syntax tree, typed tree, symbols). Everything
// allocated here lives until the arena is reset or destroyed; objects must be trivially destructible,
// which keeps a whole compile's worth of nodes free of per-node bookkeeping.
class Arena {
public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // Returns `size` bytes aligned to `align`, valid until reset().
    void* allocate(std::size_t size, std::size_t align = alignof(std::max_align_t))
    {
        std::uintptr_t p = (reinterpret_cast<std::uintptr_t>(cursor_) + align - 1) & ~(align - 1);
        if (cursor_ == nullptr || p + size > reinterpret_cast<std::uintptr_t>(end_))
            return allocateSlow(size, align);
        cursor_ = reinterpret_cast<char*>(p + size);
        return reinterpret_cast<void*>(p);
    }

    // Constructs a T in the arena.
    template <typename T, typename... Args> T* make(Args&&... args)
    {
        static_assert(std::is_trivially_destructible_v<T>, "arena objects are never destroyed");
        return new (allocate(sizeof(T), alignof(T))) T{std::forward<Args>(args)...};
    }

    // Copies a vector's elements into the arena and returns them as a span.
    template <typename T> std::span<T> copy(const std::vector<T>& items)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (items.empty())
            return {};
        T* data = static_cast<T*>(allocate(sizeof(T) * items.size(), alignof(T)));
        std::memcpy(static_cast<void*>(data), items.data(), sizeof(T) * items.size());
        return {data, items.size()};
    }

    // Copies a span's elements into the arena.
    template <typename T> std::span<T> copy(std::span<const T> items)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (items.empty())
            return {};
        T* data = static_cast<T*>(allocate(sizeof(T) * items.size(), alignof(T)));
        std::memcpy(static_cast<void*>(data), items.data(), sizeof(T) * items.size());
        return {data, items.size()};
    }

    // Copies text into the arena.
    std::string_view copy(std::string_view text)
    {
        if (text.empty())
            return {};
        char* data = static_cast<char*>(allocate(text.size(), 1));
        std::memcpy(data, text.data(), text.size());
        return {data, text.size()};
    }

    // Frees every block but the first, which is kept for the next use.
    void reset();

    ~Arena();

private:
    void* allocateSlow(std::size_t size, std::size_t align);

    struct Block {
        Block* next;
        std::size_t size;
    };
    Block* blocks_ = nullptr;
    char* cursor_ = nullptr;
    char* end_ = nullptr;
};

}  // namespace shutterhand::pascal
