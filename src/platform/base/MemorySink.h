#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/base/ByteSink.h"

namespace platform {

// Keeps everything written in memory.
class MemorySink final : public ByteSink {
 public:
  void Write(std::span<const uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  void Clear() { bytes_.clear(); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace platform
