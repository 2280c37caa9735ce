#include "pascal/heap.h"

#include "pascal/symbols.h"

#include <cstdlib>
#include <cstring>

namespace shutterhand::pascal {

namespace {
// Strings and arrays above this size are refused whatever the limit, so that sizes stay within the
// header's fields.
constexpr std::size_t kMaxObjectBytes = std::size_t(1) << 31;
}  // namespace

StrRep* makeConstString(std::string_view text)
{
    auto* s = static_cast<StrRep*>(std::malloc(sizeof(StrRep) + text.size() + 1));
    if (s == nullptr)
        throw std::bad_alloc();
    s->refs = -1;
    s->len = static_cast<uint32_t>(text.size());
    s->cap = s->len;
    s->unused = 0;
    if (!text.empty())
        std::memcpy(s->chars(), text.data(), text.size());
    s->chars()[text.size()] = '\0';
    return s;
}

void freeConstString(StrRep* s) { std::free(s); }

void* Heap::allocate(std::size_t bytes)
{
    if (bytes > kMaxObjectBytes || live_ + bytes > limit_)
        throw OutOfMemory();
    void* p = std::malloc(bytes);
    if (p == nullptr)
        throw OutOfMemory();
    live_ += bytes;
    return p;
}

void Heap::deallocate(void* p, std::size_t bytes)
{
    live_ -= bytes;
    std::free(p);
}

StrRep* Heap::newStr(std::size_t len)
{
    if (len >= kMaxObjectBytes)
        throw OutOfMemory();
    auto* s = static_cast<StrRep*>(allocate(sizeof(StrRep) + len + 1));
    s->refs = 1;
    s->len = static_cast<uint32_t>(len);
    s->cap = static_cast<uint32_t>(len);
    s->unused = 0;
    s->chars()[len] = '\0';
    return s;
}

StrRep* Heap::makeStr(std::string_view text)
{
    if (text.empty())
        return nullptr;
    StrRep* s = newStr(text.size());
    std::memcpy(s->chars(), text.data(), text.size());
    return s;
}

void Heap::freeStr(StrRep* s) { deallocate(s, sizeof(StrRep) + s->cap + 1); }

StrRep* Heap::concat(const StrRep* a, const StrRep* b)
{
    std::size_t la = a != nullptr ? a->len : 0;
    std::size_t lb = b != nullptr ? b->len : 0;
    if (la + lb == 0)
        return nullptr;
    StrRep* s = newStr(la + lb);
    if (la != 0)
        std::memcpy(s->chars(), a->chars(), la);
    if (lb != 0)
        std::memcpy(s->chars() + la, b->chars(), lb);
    return s;
}

void Heap::append(StrRep*& dst, std::string_view text)
{
    if (text.empty())
        return;
    if (dst == nullptr) {
        dst = makeStr(text);
        return;
    }
    std::size_t oldLen = dst->len;
    std::size_t newLen = oldLen + text.size();
    if (newLen >= kMaxObjectBytes)
        throw OutOfMemory();
    if (dst->refs == 1 && dst->cap >= newLen) {
        std::memmove(dst->chars() + oldLen, text.data(), text.size());
        dst->len = static_cast<uint32_t>(newLen);
        dst->chars()[newLen] = '\0';
        return;
    }
    // Grow by half again, so that appending in a loop takes linear time.
    std::size_t cap = newLen + newLen / 2 + 16;
    if (cap >= kMaxObjectBytes)
        cap = newLen;
    if (dst->refs == 1) {
        std::size_t oldBytes = sizeof(StrRep) + dst->cap + 1;
        std::size_t newBytes = sizeof(StrRep) + cap + 1;
        if (live_ - oldBytes + newBytes > limit_)
            throw OutOfMemory();
        // text may point into dst itself (s := s + s): remember its offset across the move.
        bool inside = text.data() >= dst->chars() && text.data() < dst->chars() + oldLen;
        std::size_t offset = inside ? static_cast<std::size_t>(text.data() - dst->chars()) : 0;
        auto* grown = static_cast<StrRep*>(std::realloc(dst, newBytes));
        if (grown == nullptr)
            throw OutOfMemory();
        live_ = live_ - oldBytes + newBytes;
        grown->cap = static_cast<uint32_t>(cap);
        const char* from = inside ? grown->chars() + offset : text.data();
        std::memmove(grown->chars() + oldLen, from, text.size());
        grown->len = static_cast<uint32_t>(newLen);
        grown->chars()[newLen] = '\0';
        dst = grown;
        return;
    }
    auto* s = static_cast<StrRep*>(allocate(sizeof(StrRep) + cap + 1));
    s->refs = 1;
    s->cap = static_cast<uint32_t>(cap);
    s->unused = 0;
    std::memcpy(s->chars(), dst->chars(), oldLen);
    std::memcpy(s->chars() + oldLen, text.data(), text.size());
    s->len = static_cast<uint32_t>(newLen);
    s->chars()[newLen] = '\0';
    release(dst);
    dst = s;
}

void Heap::unique(StrRep*& s)
{
    if (s == nullptr || s->refs == 1)
        return;
    StrRep* copy = makeStr(strView(s));
    release(s);
    s = copy;
}

void Heap::setLength(StrRep*& s, int64_t length)
{
    if (length <= 0) {
        release(s);
        s = nullptr;
        return;
    }
    if (static_cast<uint64_t>(length) >= kMaxObjectBytes)
        throw OutOfMemory();
    auto n = static_cast<std::size_t>(length);
    StrRep* fresh = newStr(n);
    std::size_t keep = s != nullptr ? std::min<std::size_t>(s->len, n) : 0;
    if (keep != 0)
        std::memcpy(fresh->chars(), s->chars(), keep);
    std::memset(fresh->chars() + keep, 0, n - keep);
    release(s);
    s = fresh;
}

ArrRep* Heap::newArr(const Type* elemType, int64_t length)
{
    if (length <= 0)
        return nullptr;
    std::size_t slots = static_cast<std::size_t>(elemType->slots);
    if (static_cast<uint64_t>(length) > kMaxObjectBytes / 8 / (slots == 0 ? 1 : slots))
        throw OutOfMemory();
    std::size_t bytes = sizeof(ArrRep) + static_cast<std::size_t>(length) * slots * sizeof(Slot);
    auto* a = static_cast<ArrRep*>(allocate(bytes));
    a->refs = 1;
    a->elemSlots = elemType->slots;
    a->length = length;
    a->elemType = elemType;
    std::memset(static_cast<void*>(a->data()), 0, static_cast<std::size_t>(length) * slots * sizeof(Slot));
    return a;
}

void Heap::freeArr(ArrRep* a)
{
    const Type* elem = a->elemType;
    if (elem->managed) {
        for (int64_t i = 0; i < a->length; ++i)
            finalize(elem, a->data() + i * a->elemSlots);
    }
    deallocate(a, sizeof(ArrRep) + static_cast<std::size_t>(a->length) * a->elemSlots * sizeof(Slot));
}

void Heap::setLength(ArrRep*& a, const Type* elemType, int64_t length)
{
    if (length <= 0) {
        release(a);
        a = nullptr;
        return;
    }
    if (a != nullptr && a->length == length && a->refs == 1)
        return;
    ArrRep* fresh = newArr(elemType, length);
    if (a != nullptr) {
        int64_t keep = std::min(a->length, length);
        std::size_t slots = static_cast<std::size_t>(keep) * a->elemSlots;
        if (a->refs == 1) {
            // Sole owner: move the kept elements and finalise the dropped ones.
            std::memcpy(static_cast<void*>(fresh->data()), a->data(), slots * sizeof(Slot));
            if (elemType->managed) {
                for (int64_t i = keep; i < a->length; ++i)
                    finalize(elemType, a->data() + i * a->elemSlots);
            }
            int64_t oldLength = a->length;
            a->length = 0;  // the moved elements belong to the new array now
            deallocate(a, sizeof(ArrRep) + static_cast<std::size_t>(oldLength) * a->elemSlots * sizeof(Slot));
        } else {
            for (int64_t i = 0; i < keep; ++i)
                copyRaw(elemType, fresh->data() + i * a->elemSlots, a->data() + i * a->elemSlots);
            --a->refs;
        }
    }
    a = fresh;
}

ArrRep* Heap::copyRange(const ArrRep* a, const Type* elemType, int64_t index, int64_t count)
{
    int64_t length = a != nullptr ? a->length : 0;
    if (index < 0)
        index = 0;
    if (index > length)
        index = length;
    if (count > length - index)
        count = length - index;
    if (count <= 0)
        return nullptr;
    ArrRep* fresh = newArr(elemType, count);
    for (int64_t i = 0; i < count; ++i)
        copyRaw(elemType, fresh->data() + i * fresh->elemSlots,
                const_cast<ArrRep*>(a)->data() + (index + i) * fresh->elemSlots);
    return fresh;
}

void Heap::finalize(const Type* t, Slot* slots)
{
    switch (t->kind) {
    case TypeKind::String:
        release(slots->s);
        slots->s = nullptr;
        break;
    case TypeKind::DynArray:
        release(slots->a);
        slots->a = nullptr;
        break;
    case TypeKind::Record:
        for (const Field& f : t->record->fields) {
            if (f.type->managed)
                finalize(f.type, slots + f.offset);
        }
        break;
    case TypeKind::StaticArray:
        if (t->elem->managed) {
            int64_t count = ordinalCount(t);
            for (int64_t i = 0; i < count; ++i)
                finalize(t->elem, slots + i * t->elem->slots);
        }
        break;
    default:
        break;
    }
}

void Heap::addRefs(const Type* t, const Slot* slots)
{
    switch (t->kind) {
    case TypeKind::String:
        strAddRef(slots->s);
        break;
    case TypeKind::DynArray:
        arrAddRef(slots->a);
        break;
    case TypeKind::Record:
        for (const Field& f : t->record->fields) {
            if (f.type->managed)
                addRefs(f.type, slots + f.offset);
        }
        break;
    case TypeKind::StaticArray:
        if (t->elem->managed) {
            int64_t count = ordinalCount(t);
            for (int64_t i = 0; i < count; ++i)
                addRefs(t->elem, slots + i * t->elem->slots);
        }
        break;
    default:
        break;
    }
}

void Heap::copy(const Type* t, Slot* dst, const Slot* src)
{
    if (dst == src)
        return;
    if (t->managed) {
        addRefs(t, src);
        finalize(t, dst);
    }
    std::memmove(static_cast<void*>(dst), src, static_cast<std::size_t>(t->slots) * sizeof(Slot));
}

void Heap::copyRaw(const Type* t, Slot* dst, const Slot* src)
{
    if (t->managed)
        addRefs(t, src);
    std::memmove(static_cast<void*>(dst), src, static_cast<std::size_t>(t->slots) * sizeof(Slot));
}

}  // namespace shutterhand::pascal
