#include "platform/base/ByteBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <utility>

#include "platform/base/AppError.h"

namespace platform {
namespace {

constexpr uintptr_t kHugePage = uintptr_t{1} << 21;

}  // namespace

// A fresh picture buffer faults in once per 4 KiB page otherwise, which costs
// several times what filling it does.
void AdviseHugePages(uint8_t* data, size_t size) {
  auto first = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  auto last = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// calloc takes large blocks straight from the system, already zero, so
// nothing is touched here.
ByteBuffer::ByteBuffer(size_t size)
    : data_(static_cast<uint8_t*>(std::calloc(size ? size : 1, 1))), size_(size) {
  if (!data_) throw AppError::Standard(ErrorNumber::OutOfMemory);
  AdviseHugePages(data_, size_);
}

ByteBuffer::~ByteBuffer() { std::free(data_); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  return *this;
}

void ByteBuffer::Shrink(size_t size) {
  if (size < size_) size_ = size;
}

}  // namespace platform
