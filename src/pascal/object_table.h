#pragma once

// The objects of one run. Scripts hold handles, never raw pointers: a handle names a table entry and
// its generation, so that using an object after Free is recognised instead of touching freed memory.

#include "pascal/heap.h"
#include "pascal/symbols.h"
#include "pascal/value.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace shutterhand::pascal {

class ObjectTable {
public:
    struct Entry {
        const ClassInfo* cls = nullptr;
        void* ptr = nullptr;
        uint32_t gen = 1;
        bool owned = false;  // created by the script: the engine frees it
        bool alive = false;
    };

    ObjectTable() = default;
    // Counts each live object against the run's memory limit.
    void setHeap(Heap* heap) { heap_ = heap; }
    ObjectTable(const ObjectTable&) = delete;
    ObjectTable& operator=(const ObjectTable&) = delete;
    ~ObjectTable() { clear(); }

    // Registers an object; a pointer already known gives its existing handle.
    ObjectHandle add(const ClassInfo* cls, void* ptr, bool owned);
    // The entry of a live object, or null for nil and for freed objects.
    Entry* get(ObjectHandle handle)
    {
        uint32_t index = static_cast<uint32_t>(handle);
        if (index == 0 || index >= entries_.size())
            return nullptr;
        Entry& e = entries_[index];
        if (!e.alive || e.gen != static_cast<uint32_t>(handle >> 32))
            return nullptr;
        return &e;
    }
    // Frees an object the script created; objects of the host are left alone.
    void free(ObjectHandle handle);
    // Hands an object the script created over to the host, which frees it from now on.
    void disown(ObjectHandle handle);
    // Frees every object the script created and forgets all entries.
    void clear();
    // Number of live entries (for tests).
    std::size_t liveCount() const;

private:
    uint32_t findPtr(void* ptr);

    // Runs have few objects, so the table is searched directly; an index by pointer is built once it
    // grows past kLinear entries.
    static constexpr std::size_t kLinear = 32;
    static constexpr std::size_t kEntryCost = 64;
    Heap* heap_ = nullptr;
    std::vector<Entry> entries_{Entry{}};
    std::vector<uint32_t> free_;
    std::unordered_map<void*, uint32_t> byPtr_;
};

}  // namespace shutterhand::pascal
