#pragma once

#include <QPointer>
#include <QWidget>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "app/Form1Controls.h"
#include "app/Form2.h"
#include "app/PixelSize.h"
#include "app/WindowActions.h"
#include "formats/PictureRegion.h"
#include "imaging/cDIBSection.h"
#include "platform/gdi/PictureSurface.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

// The main window: four numbered steps on the left, the picture and the
// result on the right. The "Image Manipulation" and "My Phone/PDA" frames and
// the JPEG save button lie under "2)   Select Your Size", unseen, and still
// hold the working values. The handlers hand plain values to the rooms that
// do the work: the selection tool, the picture layout and its zoom, the
// picture's loading, the saves, the clipboard and the map makers' commands.
class ClipboardCommands;
class MainMenu;
class MapMakerCommands;
class PictureLayout;
class PictureLoading;
class ResultSaves;
class SelectionTool;
class WindowBars;

class Form1 final : public QWidget, public gdi::ScaleContainer, public Form1Controls {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // Outer size in twips, frame included.
  float Width() const;
  float Height() const;
  void SetWidth(float width);
  void SetHeight(float height);
  // 0 normal, 1 minimised, 2 maximised.
  int16_t WindowState() const;

  int16_t ScaleMode() const override { return scaleMode_; }
  void SetScaleMode(int16_t mode) override;

  // The help window while it is open.
  Form2* HelpWindow() const;

  // The menu bar's commands; their states come from Actions(), as the buttons' do.
  MainMenu* Menu() const { return menu_; }
  // The area under the menu bar that the four frames and the pictures lay out in.
  QWidget* ClientArea() const { return client_; }
  // Under the frames: the pointer, the frame, the region and the zoom.
  QLabel* lblStatus;

  // Full path of the current picture file.
  std::string sFileName;
  // The working picture; made on first use.
  std::unique_ptr<cDIBSection> cDIB;
  // Whether "Keep proportions" was ticked when the last load began.
  bool bKeepProportion = false;
  // Selection mode is on: the frame follows the mouse over the picture.
  bool bSelecting() const;
  // The colour of the frame drawn last; it alternates white and black.
  gdi::COLORREF lRectColor() const;
  SelectionTool& Selection() { return *selection_; }
  ResultSaves& Saves() { return *saves_; }
  ClipboardCommands& Clipboard() { return *clipboard_; }
  MapMakerCommands& MapMaker() { return *mapMaker_; }
  // What the commands depend on, and which of them can be used.
  const CommandState& State() const { return state_; }
  EnabledActions Actions() const { return ActionsFor(state_); }

  // Loading and layout.
  void Command1_Click();
  // Opens a picture as "&Open" does when that file is chosen: from the
  // command line or dropped on the window.
  void OpenPicture(const std::string& path);
  // The same, with the file's decoding already under way.
  void OpenPicture(const std::string& path, std::future<formats::PictureRegion> decoding);
  void cmdReload_Click();
  // By reference, as both callers pass sFileName; an empty name loads an empty picture.
  // Gives how the file is damaged when only part of it could be read.
  std::string LoadFile(std::string& fileName);
  void FitWindow();

  // Zoom: actual size; the whole picture.
  void ZoomToActualSize();
  void ZoomToFit();
  // Steps in (positive) or out around the pointer, or the view's centre.
  void ZoomBy(int steps);

  // Selection.
  void Command3_Click();
  void picSource_MouseMove(int button, int shift, float X, float Y);
  void picSource_Click();
  // An outline with (x2, y2) exclusive, then a yield to the event loop.
  void DrawRectangle(platform::PictureBox& picIn, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     gdi::COLORREF lColor);

  // Resizing and screen dimensions.
  void Command2_Click();
  void txtHeight_Change();
  void txtWidth_Change();
  void Command4_Click();

  // Saving.
  void Command6_Click();
  void cmdSave_Click();
  // The quality in its box as a whole number; an unreadable one becomes 90, in the box too.
  int32_t GetJPEGQuality();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ConnectHandlers();
  // The rooms that do the work, over the controls made above.
  void CreateRooms();

  void Form_Load();
  void Form_Unload();
  void Option1_Click();
  void Option2_Click();
  // Either selection size box changed.
  void SelectionSize_Change();
  // The option of the size the selection boxes hold is the one shown, or none.
  void ShowChosenSize(const std::optional<PixelSize>& size);
  // The side of the size option shown; none when neither is.
  std::optional<std::string> ChosenSide() const;
  void SaveChoices();
  void Command5_Click();
  void Command7_Click();
  void Command8_Click();

  // Loads the file; a file that can't be decoded is reported and changes nothing.
  bool TryLoadFile(std::string& fileName);
  // Loads sFileName just chosen; on failure sFileName goes back to `previous`.
  void LoadChosenFile(const std::string& previous);
  // A picture that came from no file, such as the clipboard's, shown under `name`.
  void OpenPasted(formats::PictureRegion picture, std::string name);
  // One place decides which commands can be used, from the state.
  void UpdateActions();
  // Makes the resized picture the result, shown in picDest.
  void ShowResized(std::unique_ptr<cDIBSection> resized);
  // With Keep proportions on, the other box follows the typed one at the picture's aspect ratio.
  void KeepProportion(const platform::TextBox& typed, platform::TextBox& other, const char* marker,
                      bool heightTyped);

  QWidget* client_;
  std::unique_ptr<WindowBars> bars_;
  MainMenu* menu_ = nullptr;
  QPointer<Form2> form2_;
  std::unique_ptr<PictureLoading> loading_;
  // The picture shown came from the clipboard: Refresh has no file to read.
  bool pasted_ = false;
  // The folder of the picture opened last; the saves keep theirs.
  std::string openFolder_;
  // The loaded picture's size, as its labels show it; none before the first load.
  std::optional<PixelSize> pictureSize_;
  CommandState state_;
  std::unique_ptr<SelectionTool> selection_;
  std::unique_ptr<PictureLayout> layout_;
  std::unique_ptr<ResultSaves> saves_;
  std::unique_ptr<ClipboardCommands> clipboard_;
  std::unique_ptr<MapMakerCommands> mapMaker_;
  int16_t scaleMode_ = gdi::vbTwips;
};
