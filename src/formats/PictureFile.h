#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/PictureLimits.h"

namespace formats {

// A picture file opened for reading: its size is known at once, and readers
// take the parts they need straight into their own memory.
class PictureFile {
 public:
  // Raises file not found (53) for a missing file, path/file access (75)
  // naming what it is for a folder, pipe, device or socket, and out of
  // memory (7) for a file far larger than any picture the program opens.
  // `mostBytes` is the largest file taken: a reader that holds none of it
  // whole may take far larger ones.
  explicit PictureFile(const std::string& path, uint64_t mostBytes = kMaxPictureFileBytes);
  ~PictureFile();
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;

  const std::string& Path() const { return path_; }
  uint64_t Size() const { return size_; }

  // Its first bytes, at most `bytes` of them.
  std::vector<uint8_t> Head(size_t bytes) const;
  // The whole file.
  std::vector<uint8_t> All() const;
  // Exactly `bytes` bytes from `offset` into `into`; false when the file ends first.
  bool ReadAt(uint64_t offset, uint8_t* into, size_t bytes) const;
  // The bytes from `offset` into each part in turn, in as few reads as the
  // system allows; false when the file ends first.
  bool ReadScattered(uint64_t offset, std::span<const std::span<uint8_t>> parts) const;
  // Up to `bytes` bytes from `offset`: fewer only where the file ends.
  size_t ReadUpTo(uint64_t offset, uint8_t* into, size_t bytes) const;

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace formats
