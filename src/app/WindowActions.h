#pragma once

// What the main window's commands depend on, kept by the window as it changes.
struct CommandState {
  // A picture file was opened: Refresh can load it again.
  bool fileOpened = false;
  // A picture with pixels was loaded at some time: resizing has something to work on.
  bool pictureLoaded = false;
  bool selecting = false;
  // A crop was fixed or the picture resized since the last Refresh: the JPEG save has it.
  bool resultMade = false;
};

// Which commands can be used; buttons and menu commands alike take it from one place.
struct EnabledActions {
  bool open = true;
  bool refresh = false;
  bool makeSelection = true;
  bool cancelSelection = false;
  bool save = true;
  bool saveJpeg = false;
  bool resize = false;

  bool operator==(const EnabledActions&) const = default;
};

EnabledActions ActionsFor(const CommandState& state);
