#include "platform/base/ByteBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/base/AppError.h"

namespace platform {
namespace {

constexpr uintptr_t kHugePage = uintptr_t{1} << 21;
constexpr size_t kCacheLine = 64;
// A larger block goes back to the system: keeping it would hold a big
// photo's worth of memory for a save that may never come.
constexpr size_t kMaxSpareBytes = size_t{64} << 20;

struct Spare {
  uint8_t* block = nullptr;
  size_t capacity = 0;
  ~Spare() { std::free(block); }
};

thread_local Spare spare;

// calloc takes large blocks straight from the system, already zero, so
// nothing is touched here.
uint8_t* Allocate(size_t capacity) {
  auto* block = static_cast<uint8_t*>(std::calloc(capacity, 1));
  if (!block) throw AppError::Standard(ErrorNumber::OutOfMemory);
  AdviseHugePages(block, capacity);
  return block;
}

// Room for the data and for moving its start to any place in a cache line.
size_t CapacityFor(size_t size) { return size + kCacheLine; }

void GiveBack(uint8_t* block, size_t capacity) {
  if (capacity > kMaxSpareBytes || capacity < spare.capacity) {
    std::free(block);
    return;
  }
  std::free(spare.block);
  spare.block = block;
  spare.capacity = capacity;
}

}  // namespace

// A fresh picture buffer faults in once per 4 KiB page otherwise, which costs
// several times what filling it does.
void AdviseHugePages(uint8_t* data, size_t size) {
  const auto address = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (address + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (address + size) & ~(kHugePage - 1);
  // From the pointer itself, so the compiler keeps track of what it points into.
  if (last > first) madvise(data + (first - address), last - first, MADV_HUGEPAGE);
}

ByteBuffer::ByteBuffer(size_t size)
    : block_(Allocate(size ? size : 1)), capacity_(size ? size : 1), data_(block_), size_(size) {}

ByteBuffer::ByteBuffer(uint8_t* block, size_t capacity, size_t size, size_t fileOffset, bool reusable)
    : block_(block), capacity_(capacity), size_(size), reusable_(reusable) {
  const size_t phase = (fileOffset - reinterpret_cast<uintptr_t>(block)) % kCacheLine;
  data_ = block + phase;
}

ByteBuffer ByteBuffer::ForFileOffset(size_t size, size_t fileOffset) {
  const size_t capacity = CapacityFor(size);
  return ByteBuffer(Allocate(capacity), capacity, size, fileOffset, false);
}

// Clearing a block already in memory costs a fraction of faulting in a new one.
ByteBuffer ByteBuffer::Reusable(size_t size, size_t fileOffset) {
  const size_t capacity = CapacityFor(size);
  if (spare.block && spare.capacity >= capacity) {
    ByteBuffer buffer(std::exchange(spare.block, nullptr), std::exchange(spare.capacity, 0), size, fileOffset,
                      true);
    std::memset(buffer.data_, 0, size);
    return buffer;
  }
  return ByteBuffer(Allocate(capacity), capacity, size, fileOffset, true);
}

ByteBuffer::~ByteBuffer() {
  if (reusable_) {
    GiveBack(block_, capacity_);
  } else {
    std::free(block_);
  }
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      reusable_(std::exchange(other.reusable_, false)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  std::swap(block_, other.block_);
  std::swap(capacity_, other.capacity_);
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(reusable_, other.reusable_);
  return *this;
}

void ByteBuffer::Shrink(size_t size) {
  if (size < size_) size_ = size;
}

}  // namespace platform
