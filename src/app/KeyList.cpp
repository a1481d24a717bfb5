#include "app/KeyList.h"

const std::vector<KeyGroup>& KeyList() {
  static const std::vector<KeyGroup> groups = {
      {"Buttons",
       {{"Alt+O", "Open a picture"},
        {"Alt+R", "Refresh: open the same file again"},
        {"Alt+M", "Make Your Selection"},
        {"Alt+S", "Save the crop as a Targa file"},
        {"Alt+H", "This help"},
        {"Alt+A", "About"},
        {"Alt+E", "Exit"}}},
      {"During a selection",
       {{"Click or Enter", "Crop: fix the frame's part as the result"},
        {"Esc", "Cancel the selection"},
        {"Arrow keys", "Move the frame by a pixel"},
        {"]  and  [", "Grow and shrink the frame by an eighth of the size"},
        {"\\", "The frame back to 1:1"},
        {"A", "Frame the whole picture"}}},
      {"Zoom and scroll",
       {{"Ctrl+wheel, Ctrl+plus, Ctrl+minus", "Zoom in and out around the pointer"},
        {"Ctrl+0", "Actual size"},
        {"F", "The whole picture"},
        {"Wheel, Shift+wheel", "Scroll up and down, left and right"},
        {"Arrows, Page Up/Down, Home, End", "Scroll, once the picture has been clicked"}}},
      {"This window", {{"K", "The picture of the four steps, or these keys"}, {"Esc, Ctrl+W", "Close"}}},
  };
  return groups;
}
