#pragma once

namespace platform {

// The toolkit's log lines (its own, and those of the image plugins and the
// libraries under them) go to LibraryMessages instead of the terminal.
class QtMessageRoute {
 public:
  static void Install();
};

}  // namespace platform
