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
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace platform
