#pragma once

#include <Qt>
#include <vector>

// Where a selection lies, shared by the window's tests and its selection
// tool's, so both are held to the same numbers.

// The block for a pointer over a picture, clamped at the picture's edges.
struct PlacementCase {
  const char* name;
  int pictureWidth, pictureHeight;
  int width, height;
  float x, y;
  int left, top;
};

inline const PlacementCase kPlacements[] = {
    {"AtTheOrigin", 300, 200, 128, 128, 0, 0, 0, 0},
    {"OnTheLastPixel", 300, 200, 128, 128, 299.4f, 198.6f, 172, 72},
    {"InTheMiddle", 300, 200, 128, 128, 150, 100, 86, 36},
    // An odd height puts the pointer on the centre row, an even one has a row more above.
    {"OddHeight", 300, 300, 10, 127, 150, 100, 145, 37},
    {"EvenHeight", 300, 300, 10, 128, 150, 100, 145, 36},
    // The far clamp wins: a block wider than the picture starts left of it.
    {"WiderThanThePicture", 100, 200, 128, 128, 50, 100, -28, 36},
};

// Arrow keys from a pointer place over a 300 x 200 picture with a 128 x 128
// result: a pixel each, a 16-pixel tile with Shift, stopping at the edges.
struct NudgeStep {
  int key;
  Qt::KeyboardModifiers modifiers;
  int left, top;
};

struct NudgeRun {
  float x, y;
  std::vector<NudgeStep> steps;
};

inline const NudgeRun kNudgeRuns[] = {
    {0,
     0,
     {{Qt::Key_Left, Qt::NoModifier, 0, 0},
      {Qt::Key_Up, Qt::ShiftModifier, 0, 0},
      {Qt::Key_Right, Qt::NoModifier, 1, 0},
      {Qt::Key_Down, Qt::ShiftModifier, 1, 16},
      {Qt::Key_Right, Qt::ShiftModifier, 17, 16}}},
    {299,
     199,
     {{Qt::Key_Right, Qt::ShiftModifier, 172, 72},
      {Qt::Key_Down, Qt::NoModifier, 172, 72},
      {Qt::Key_Left, Qt::ShiftModifier, 156, 72},
      {Qt::Key_Up, Qt::NoModifier, 156, 71}}},
};
