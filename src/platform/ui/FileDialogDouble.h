#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/FileDialogRecord.h"

namespace platform {

// Stands in for the open and save dialogs while it lives: each call is
// recorded with a copy of the record it was given and answered from a script,
// without showing a window. An unscripted call is answered as a cancel.
class FileDialogDouble {
 public:
  enum class Kind { Open, Save };

  struct Call {
    Kind kind;
    OPENFILENAME record;
  };

  FileDialogDouble();
  ~FileDialogDouble();
  FileDialogDouble(const FileDialogDouble&) = delete;
  FileDialogDouble& operator=(const FileDialogDouble&) = delete;

  // The next call chooses these paths. Without a filter index or flags the
  // call reports back the ones it was given, as a user who left them alone.
  void Choose(std::string path, std::optional<uint32_t> filterIndex = std::nullopt,
              std::optional<uint32_t> flags = std::nullopt);
  void ChooseMany(std::vector<std::string> paths, std::optional<uint32_t> filterIndex = std::nullopt,
                  std::optional<uint32_t> flags = std::nullopt);
  void Cancel();

  const std::vector<Call>& Calls() const { return calls_; }
  const Call& LastCall() const;

  // The double in charge, or null when the real dialogs run.
  static FileDialogDouble* Installed();
  int Answer(Kind kind, OPENFILENAME& record);

 private:
  struct Script {
    bool cancel = true;
    std::vector<std::string> paths;
    std::optional<uint32_t> filterIndex;
    std::optional<uint32_t> flags;
  };

  std::deque<Script> script_;
  std::vector<Call> calls_;
  FileDialogDouble* previous_;
};

}  // namespace platform
