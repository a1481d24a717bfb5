#pragma once

#include <string>

// The zoom levels Ctrl+wheel and Ctrl+plus/minus go through, as picture viewers have them.
class ZoomSteps {
 public:
  // The next level in.
  static double In(double zoom);
  // The next level out, never below `lowest` (the zoom that shows the whole
  // picture): a step that would pass it stops on it.
  static double Out(double zoom, double lowest);
  // "100 %", "8.6 %": whole percents, a tenth below ten.
  static std::string Format(double zoom);
};
