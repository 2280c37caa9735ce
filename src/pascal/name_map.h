#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace shutterhand::pascal {

// Case-insensitive hash of an identifier (ASCII letters only differ by case in identifiers).
inline uint32_t identHash(std::string_view name)
{
    uint32_t h = 2166136261u;
    for (char c : name) {
        h ^= static_cast<uint8_t>(c | 0x20);
        h *= 16777619u;
    }
    return h;
}

// Whether two identifiers are the same, ignoring ASCII letter case.
inline bool identEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x != y) {
            if ((x | 0x20) != (y | 0x20) || !(((x | 0x20) >= 'a' && (x | 0x20) <= 'z')))
                return false;
        }
    }
    return true;
}

// A small open-addressing map from identifiers to pointers; names compare without letter case.
// T must have a `name` member (std::string_view).
template <typename T> class NameMap {
public:
    // Returns the entry with this name, or null.
    T* find(std::string_view name) const { return find(name, identHash(name)); }

    T* find(std::string_view name, uint32_t hash) const
    {
        if (entries_.empty())
            return nullptr;
        std::size_t mask = entries_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Entry& e = entries_[i];
            if (e.item == nullptr)
                return nullptr;
            if (e.hash == hash && identEqual(e.item->name, name))
                return e.item;
        }
    }

    // Adds an entry; returns the existing one instead when the name is taken.
    T* insert(T* item)
    {
        uint32_t hash = identHash(item->name);
        if ((count_ + 1) * 4 > entries_.size() * 3)
            grow();
        std::size_t mask = entries_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Entry& e = entries_[i];
            if (e.item == nullptr) {
                e.item = item;
                e.hash = hash;
                ++count_;
                return nullptr;
            }
            if (e.hash == hash && identEqual(e.item->name, item->name))
                return e.item;
        }
    }

    std::size_t size() const { return count_; }

private:
    struct Entry {
        T* item = nullptr;
        uint32_t hash = 0;
    };

    void grow()
    {
        std::vector<Entry> old;
        old.swap(entries_);
        entries_.assign(old.empty() ? 8 : old.size() * 2, Entry{});
        count_ = 0;
        std::size_t mask = entries_.size() - 1;
        for (const Entry& e : old) {
            if (e.item == nullptr)
                continue;
            for (std::size_t i = e.hash & mask;; i = (i + 1) & mask) {
                if (entries_[i].item == nullptr) {
                    entries_[i] = e;
                    ++count_;
                    break;
                }
            }
        }
    }

    std::vector<Entry> entries_;
    std::size_t count_ = 0;
};

}  // namespace shutterhand::pascal
