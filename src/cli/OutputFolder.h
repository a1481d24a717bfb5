#pragma once

#include <string>

// The folder an output goes into is made when missing, with the folders above
// it, for -o as for --out-dir: a batch shouldn't fail for want of a mkdir.
// It is made only once there is something to put in it, so a run that fails
// leaves no empty folders behind.
class OutputFolder {
 public:
  // Empty when the folder is there or could be made now; else the line Make
  // would give. Nothing is made.
  static std::string Check(const std::string& folder, const std::string& output);
  // Empty when the folder is there now; else the one line, naming `output`,
  // that says why it can't be, in the words a write into it would give.
  static std::string Make(const std::string& folder, const std::string& output);
  // The folder of an output file; empty for the current one.
  static std::string Of(const std::string& file);
};
