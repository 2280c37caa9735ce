#include "pascal/arena.h"

#include <cstdlib>

namespace shutterhand::pascal {

namespace {
constexpr std::size_t kBlockSize = 32 * 1024;
}

void* Arena::allocateSlow(std::size_t size, std::size_t align)
{
    std::size_t payload = size + align > kBlockSize - sizeof(Block) ? size + align : kBlockSize - sizeof(Block);
    auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + payload));
    if (block == nullptr)
        throw std::bad_alloc();
    block->next = blocks_;
    block->size = payload;
    blocks_ = block;
    cursor_ = reinterpret_cast<char*>(block + 1);
    end_ = cursor_ + payload;
    std::uintptr_t p = (reinterpret_cast<std::uintptr_t>(cursor_) + align - 1) & ~(align - 1);
    cursor_ = reinterpret_cast<char*>(p + size);
    return reinterpret_cast<void*>(p);
}

void Arena::reset()
{
    if (blocks_ == nullptr)
        return;
    // Keep the oldest block (the end of the list), which is always a standard-sized one in practice.
    Block* keep = blocks_;
    while (keep->next != nullptr) {
        Block* next = keep->next;
        std::free(keep);
        keep = next;
    }
    blocks_ = keep;
    cursor_ = reinterpret_cast<char*>(keep + 1);
    end_ = cursor_ + keep->size;
}

Arena::~Arena()
{
    while (blocks_ != nullptr) {
        Block* next = blocks_->next;
        std::free(blocks_);
        blocks_ = next;
    }
}

}  // namespace shutterhand::pascal
