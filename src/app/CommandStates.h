#pragma once

// What the window is doing, as the commands need to know it.
struct FormState {
  bool picture = false;     // a picture is loaded
  bool reloadable = false;  // Refresh has something to say: a file, or that there is none
  bool result = false;      // a crop or a resized picture is the result
  bool selecting = false;   // the frame follows the mouse
};

// Which commands can act. One place decides, so a menu, a button and a key never disagree.
struct CommandStates {
  bool open = true;
  bool refresh = false;
  bool save = false;  // Save, Save As and Copy: a fixed result to write
  bool paste = true;
  bool makeSelection = false;
  bool regionKeys = false;  // grow, shrink, 1:1, whole picture
  bool resize = false;
  bool zoom = false;
  bool sizes = true;

  static CommandStates For(const FormState& state);
};
