#pragma once

#include <string>
#include <vector>

namespace platform {

// What the libraries the program reads pictures with say on their own (the
// window toolkit's log lines, a decoder's warnings). Nothing of it reaches the
// terminal raw: a line said while a picture is read is kept for that picture,
// whose failure it may explain; any other line is dropped unless asked for.
class LibraryMessages {
 public:
  struct Line {
    // Who said it, such as "qt.gui.imageio.jpeg"; empty when unknown.
    std::string source;
    std::string text;
    // "source: text", or the text alone.
    std::string Full() const;
  };

  // Keeps the lines said on this thread while it lives.
  class Capture {
   public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    const std::vector<Line>& Lines() const { return lines_; }
    // The line that best explains a failure: the last one said; empty when none was.
    std::string Explanation() const;

   private:
    friend class LibraryMessages;
    std::vector<Line> lines_;
    Capture* outer_;
  };

  // Thread-safe; never throws.
  static void Note(const std::string& source, const std::string& text) noexcept;

  // Lines said outside any capture go to standard error as "quarvel: LINE".
  static void SetVerbose(bool verbose);
  static bool Verbose();

  // Sends every line to another copy of this class (the window module's
  // copy hands its lines to the program's).
  using Forward = void (*)(const char* source, const char* text);
  static void ForwardTo(Forward forward);
};

}  // namespace platform
