#include "platform/base/Screen.h"

namespace platform {
namespace {
float twipsX = 15.0f;
float twipsY = 15.0f;
}  // namespace

float Screen::TwipsPerPixelX() { return twipsX; }
float Screen::TwipsPerPixelY() { return twipsY; }
void Screen::SetTwipsPerPixel(float x, float y) {
  twipsX = x;
  twipsY = y;
}

}  // namespace platform
