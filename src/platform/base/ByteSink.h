#pragma once

#include <cstdint>
#include <span>

namespace platform {

// Where an encoder puts the bytes of a file: a file on disk or memory. The
// encoder does not care which, so tests compare whole files in memory.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends the bytes; raises an AppError when they can't be kept.
  virtual void Write(std::span<const uint8_t> bytes) = 0;
};

}  // namespace platform
