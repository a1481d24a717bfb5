#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/gdi/Bitmap.h"

// The window and the window toolkit's picture reader live in a module of
// their own, loaded only when needed: the command line starts without the
// toolkit, its platform plugin or its image plugins.
class ToolkitModule {
 public:
  // The window's whole run; when the module can't be loaded, says why on
  // standard error and returns 1.
  static int RunWindow(int argc, char** argv);
  // The toolkit's reader for the kinds the program doesn't read itself.
  // Raises invalid picture (481) when the module can't be loaded.
  static std::unique_ptr<gdi::Bitmap> ReadOtherKinds(std::span<const uint8_t> file);

 private:
  // Null when the module or the symbol can't be had; `why` then says why.
  static void* Symbol(const char* name, std::string& why);
  static void RouteMessagesHere();
};
