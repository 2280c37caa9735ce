#include "pascal/object_table.h"

namespace shutterhand::pascal {

namespace {

void destroyObject(const ClassInfo* cls, void* ptr)
{
    for (const ClassInfo* c = cls; c != nullptr; c = c->parent) {
        if (c->destroy != nullptr) {
            c->destroy(ptr, c->destroyData);
            return;
        }
    }
}

}  // namespace

uint32_t ObjectTable::findPtr(void* ptr)
{
    if (entries_.size() <= kLinear) {
        for (std::size_t i = 1; i < entries_.size(); ++i) {
            if (entries_[i].alive && entries_[i].ptr == ptr)
                return static_cast<uint32_t>(i);
        }
        return 0;
    }
    if (byPtr_.empty()) {
        for (std::size_t i = 1; i < entries_.size(); ++i) {
            if (entries_[i].alive)
                byPtr_.emplace(entries_[i].ptr, static_cast<uint32_t>(i));
        }
    }
    auto found = byPtr_.find(ptr);
    return found != byPtr_.end() ? found->second : 0;
}

ObjectHandle ObjectTable::add(const ClassInfo* cls, void* ptr, bool owned)
{
    if (ptr == nullptr)
        return 0;
    if (uint32_t existing = findPtr(ptr)) {
        Entry& e = entries_[existing];
        return (static_cast<uint64_t>(e.gen) << 32) | existing;
    }
    if (heap_ != nullptr) {
        try {
            heap_->charge(kEntryCost);
        } catch (...) {
            // The object was made for the script; without room for it, it is freed again.
            if (owned)
                destroyObject(cls, ptr);
            throw;
        }
    }
    uint32_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else {
        index = static_cast<uint32_t>(entries_.size());
        entries_.push_back(Entry{});
    }
    Entry& e = entries_[index];
    e.cls = cls;
    e.ptr = ptr;
    e.owned = owned;
    e.alive = true;
    if (!byPtr_.empty())
        byPtr_.emplace(ptr, index);
    return (static_cast<uint64_t>(e.gen) << 32) | index;
}

void ObjectTable::free(ObjectHandle handle)
{
    Entry* e = get(handle);
    if (e == nullptr || !e->owned)
        return;
    uint32_t index = static_cast<uint32_t>(handle);
    const ClassInfo* cls = e->cls;
    void* ptr = e->ptr;
    byPtr_.erase(ptr);
    e->alive = false;
    e->ptr = nullptr;
    ++e->gen;
    if (e->gen == 0)
        e->gen = 1;
    free_.push_back(index);
    if (heap_ != nullptr)
        heap_->discharge(kEntryCost);
    destroyObject(cls, ptr);
}

void ObjectTable::disown(ObjectHandle handle)
{
    if (Entry* e = get(handle))
        e->owned = false;
}

void ObjectTable::clear()
{
    // Destroying an object may not touch the table, so collect first.
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        Entry& e = entries_[i];
        if (e.alive && heap_ != nullptr)
            heap_->discharge(kEntryCost);
        if (e.alive && e.owned) {
            e.alive = false;
            destroyObject(e.cls, e.ptr);
        }
    }
    entries_.assign(1, Entry{});
    free_.clear();
    byPtr_.clear();
}

std::size_t ObjectTable::liveCount() const
{
    std::size_t n = 0;
    for (std::size_t i = 1; i < entries_.size(); ++i)
        n += entries_[i].alive ? 1 : 0;
    return n;
}

}  // namespace shutterhand::pascal
