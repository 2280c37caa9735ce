#pragma once

// Reference-counted strings and dynamic arrays of one run, with a limit on the memory they take.

#include "pascal/types.h"
#include "pascal/value.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace shutterhand::pascal {

// A string: header, then the bytes and a terminating zero. A negative count marks a constant that is
// never freed.
struct StrRep {
    int32_t refs;
    uint32_t len;
    uint32_t cap;
    uint32_t unused;
    char* chars() { return reinterpret_cast<char*>(this + 1); }
    const char* chars() const { return reinterpret_cast<const char*>(this + 1); }
};

// A dynamic array: header, then length * elemSlots slots.
struct ArrRep {
    int32_t refs;
    int32_t elemSlots;
    int64_t length;
    const Type* elemType;
    Slot* data() { return reinterpret_cast<Slot*>(this + 1); }
};

// Thrown when a run would go over its memory limit; the machine ends the run with an error.
struct OutOfMemory : std::runtime_error {
    OutOfMemory()
        : std::runtime_error("Out of memory")
    { }
};

inline std::string_view strView(const StrRep* s)
{
    return s == nullptr ? std::string_view() : std::string_view(s->chars(), s->len);
}

inline void strAddRef(StrRep* s)
{
    if (s != nullptr && s->refs > 0)
        ++s->refs;
}

inline void arrAddRef(ArrRep* a)
{
    if (a != nullptr)
        ++a->refs;
}

// Allocates a string constant that lives until freeConstString.
StrRep* makeConstString(std::string_view text);
void freeConstString(StrRep* s);

class Heap {
public:
    explicit Heap(std::size_t limit)
        : limit_(limit)
    { }
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    // A new string of `len` bytes (contents undefined but zero-terminated) with one reference.
    StrRep* newStr(std::size_t len);
    // A new string holding `text`; null for the empty text.
    StrRep* makeStr(std::string_view text);
    void release(StrRep* s)
    {
        if (s != nullptr && s->refs > 0 && --s->refs == 0)
            freeStr(s);
    }
    // a + b as a new string.
    StrRep* concat(const StrRep* a, const StrRep* b);
    // dst := dst + text, growing in place when dst is not shared.
    void append(StrRep*& dst, std::string_view text);
    // Makes `s` the only reference to its text, copying it if shared.
    void unique(StrRep*& s);
    // Sets a string's length, keeping its start and zero-filling new bytes.
    void setLength(StrRep*& s, int64_t length);

    // A new array of `length` cleared elements with one reference.
    ArrRep* newArr(const Type* elemType, int64_t length);
    void release(ArrRep* a)
    {
        if (a != nullptr && --a->refs == 0)
            freeArr(a);
    }
    // SetLength for a dynamic array: the array becomes unshared; kept elements are copied or moved.
    void setLength(ArrRep*& a, const Type* elemType, int64_t length);
    // Copy(a, index, count) for arrays.
    ArrRep* copyRange(const ArrRep* a, const Type* elemType, int64_t index, int64_t count);

    // Releases what a value of type t holds and clears those slots.
    void finalize(const Type* t, Slot* slots);
    // dst := src for a value of type t: takes new references, releases the old ones.
    void copy(const Type* t, Slot* dst, const Slot* src);
    // Like copy, but dst holds nothing (a raw slot).
    void copyRaw(const Type* t, Slot* dst, const Slot* src);
    // Takes new references for everything a value of type t holds.
    void addRefs(const Type* t, const Slot* slots);

    // Counts memory the run's objects hold outside strings and arrays (string list items, object
    // table entries) against the same limit; throws OutOfMemory when it would go over.
    void charge(std::size_t bytes)
    {
        if (bytes > limit_ || live_ + bytes > limit_)
            throw OutOfMemory();
        live_ += bytes;
    }
    void discharge(std::size_t bytes) { live_ -= bytes < live_ ? bytes : live_; }

    std::size_t liveBytes() const { return live_; }
    void setLimit(std::size_t limit) { limit_ = limit; }

private:
    void* allocate(std::size_t bytes);
    void deallocate(void* p, std::size_t bytes);
    void freeStr(StrRep* s);
    void freeArr(ArrRep* a);

    std::size_t limit_;
    std::size_t live_ = 0;
};

}  // namespace shutterhand::pascal
