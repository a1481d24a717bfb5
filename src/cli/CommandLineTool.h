#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/CropJobs.h"

// The window-less mode: runs a command and turns its outcome into an exit
// status. Nothing here needs a display.
class CommandLineTool {
 public:
  static constexpr int kSuccess = 0;
  static constexpr int kSomeFailed = 1;
  static constexpr int kUsage = 2;

  // True when the program's arguments ask for this mode.
  static bool Handles(int argc, char** argv);

  // `args` are the arguments after the program's name. Usage goes to `out`,
  // failures to `err`, one line each; a batch counts its progress on `err`
  // when that is a terminal.
  static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, int workers,
                 bool errIsTerminal = false);
  // The whole program in this mode, for main: runs on every processor.
  static int Main(int argc, char** argv);

  // Freed picture memory stays in the heap for the next picture instead of
  // going back to the system. Process-wide: for this mode only.
  static void KeepPictureMemory();

 private:
  static void Read(const ReadOptions& options);
  static int Crop(const CropRequest& request, std::ostream& err, int workers, bool errIsTerminal);
  // Raises a UsageError for jobs that can't run together, and a runtime_error
  // with the line to print for a manifest that can't be read.
  static std::vector<CropJob> PlanJobs(const CropRequest& request);
  // How far a picture has got, once it has taken longer than a second.
  using Part = std::function<void(const std::string& picture, double done)>;
  static int Resize(const ResizeRequest& request, std::ostream& err, bool errIsTerminal);
  // `chosen` receives what a byte budget chose; `note` what the libraries said, with --verbose.
  static std::string ResizeOne(const ResizeRequest& request, std::string& chosen,
                               const std::function<void(const std::string&)>& note, const Part& part);
  // Read band by band where that can be done, else decoded whole.
  static std::unique_ptr<cDIBSection> Resized(const ResizeRequest& request, const Part& part);
  static int32_t TargetHeight(const ResizeRequest& request, int32_t pictureWidth, int32_t pictureHeight);
};
