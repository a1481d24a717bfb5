#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

// Asks the system to back the whole 2 MiB pages inside the block with huge pages.
void AdviseHugePages(uint8_t* data, size_t size);

// A zero-filled byte array for whole pictures. Its pages are taken from the
// system only when first written, and large ones in huge pages where the
// system allows, so a buffer sized for the worst case costs what is used.
class ByteBuffer {
 public:
  ByteBuffer() = default;
  // Raises out of memory (7) when the memory can't be had.
  explicit ByteBuffer(size_t size);
  // Bytes bound for offset `fileOffset` of a file: they start at the same
  // place within a cache line, or the system copies them into the file at
  // half speed.
  static ByteBuffer ForFileOffset(size_t size, size_t fileOffset);
  // The same, from the block the thread's last reusable buffer gave back when
  // that is large enough: saving big pictures one after another then pays the
  // system's page faults once, not on every save.
  static ByteBuffer Reusable(size_t size, size_t fileOffset);
  ~ByteBuffer();
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  uint8_t* Data() { return data_; }
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  std::span<uint8_t> Span() { return {data_, size_}; }
  std::span<const uint8_t> Span() const { return {data_, size_}; }

  // Keeps the first `size` bytes; a larger size is ignored.
  void Shrink(size_t size);

 private:
  ByteBuffer(uint8_t* block, size_t capacity, size_t size, size_t fileOffset, bool reusable);

  uint8_t* block_ = nullptr;
  size_t capacity_ = 0;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool reusable_ = false;
};

}  // namespace platform
