#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A picture that comes through a pipe, or goes into one, is kept in a
// temporary file of its own meanwhile: the readers look into a file more than
// once, and the writers replace theirs whole. The file goes with this object.
class PipeFile {
 public:
  // A new empty file in the temporary folder, ending in `extension`. Empty
  // when it is made; else the reason it can't be.
  std::string Make(const std::string& extension);
  ~PipeFile();

  const std::string& Path() const { return path_; }

  // All of `from` into the file; empty on success, else why not.
  std::string Fill(std::FILE* from);
  // The file's bytes onto `to`; empty on success, else why not.
  std::string Pour(std::FILE* to, uint64_t& bytes) const;

 private:
  std::string path_;
};
