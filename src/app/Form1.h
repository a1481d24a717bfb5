#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "app/Form2.h"
#include "app/PixelSize.h"
#include "app/WindowActions.h"
#include "app/ZoomBar.h"
#include "formats/PictureRegion.h"
#include "imaging/cDIBSection.h"
#include "platform/gdi/PictureSurface.h"
#include "platform/ui/LineShape.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

// The main window: four numbered steps on the left, the picture and the
// result on the right. The "Image Manipulation" and "My Phone/PDA" frames and
// the JPEG save button lie under "2)   Select Your Size", unseen, and still
// hold the working values. The handlers hand plain values to the rooms that
// do the work: the selection tool, the picture layout and its zoom.

class PictureLayout;
class SelectionTool;

class Form1 final : public QWidget, public gdi::ScaleContainer {
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

  // "1)   Open Your Picture".
  QGroupBox* Frame2;
  QLabel* lblFile;         // the picture's file name, without its folder
  QPushButton* Command1;   // "&Open": chooses a picture and loads it
  QPushButton* cmdReload;  // "&Refresh": loads the same file again
  QLabel* Label8;          // "Image Information:"
  QLabel* Label10;         // "Width"
  QLabel* lblOrigWidth;    // the loaded picture's width; read back as its size
  QLabel* Label11;         // "Height"
  QLabel* lblOrigHeight;   // the loaded picture's height; read back as its size
  // "2)   Select Your Size": in front of Frame3, Frame1 and cmdSave, hiding them.
  QGroupBox* Frame5;
  QRadioButton* Option1;  // "128 x 128": the selection size
  QRadioButton* Option2;  // "256 x 256": the selection size
  // "3)   Crop Your Picture".
  QGroupBox* Frame6;
  QPushButton* Command3;  // "&Make Your Selection": the frame follows the mouse until a click
  // "4)   Save Your Picture And Exit".
  QGroupBox* Frame4;
  QPushButton* Command6;                // "&Save": writes what picDest shows as a Targa file
  QPushButton* Command5;                // "&Exit"
  QPushButton* Command7;                // "&Help": shows Form2
  QPushButton* Command8;                // "&About"
  platform::PictureBox* picSource;      // the loaded picture; the frame is drawn on it
  platform::PictureBox* picDest;        // the live preview, then the result
  platform::PictureBox* picBuffer;      // hidden: the clean picture that wipes the frame
  platform::PictureBox* picDestBuffer;  // hidden: the selection's pixels
  QPushButton* cmdSave;                 // no caption, hidden: writes cDIB as a JPEG file at txtQuality
  // "Image Manipulation", hidden: the working values of resizing and of the selection.
  QGroupBox* Frame3;
  QLabel* Label1;                   // "New Width"
  platform::TextBox* txtWidth;      // the width "Resize Image" makes
  QLabel* Label2;                   // "New Height"
  platform::TextBox* txtHeight;     // the height "Resize Image" makes
  QCheckBox* chkKeepProportion;     // "&Keep proportions": either size box sets the other
  QPushButton* Command2;            // "Resize Image": resamples the picture into the result
  QLabel* Label12;                  // "Selection Width"
  platform::TextBox* txtSelWidth;   // the selection's width in pixels
  QLabel* Label13;                  // "Selection Height"
  platform::TextBox* txtSelHeight;  // the selection's height in pixels
  QPushButton* Command4;            // "Screen Dimensions": the phone's resolution becomes the selection size
  QLabel* Label14;                  // "JPEG Quality"
  platform::TextBox* txtQuality;    // the quality cmdSave writes at
  QLabel* Label15;                  // "Max. size (KB)"
  // A JPEG file size limit in KB (1024 bytes); empty for none.
  platform::TextBox* txtMaxSize;
  // Two etched separators, each a grey line over a white one.
  platform::LineShape* Line1;
  platform::LineShape* Line2;
  platform::LineShape* Line3;
  platform::LineShape* Line4;
  // "My Phone/PDA", hidden: the phone's screen resolution, kept in the settings.
  QGroupBox* Frame1;
  QLabel* Label3;  // "Screen Resolution:"
  QLabel* Label4;  // "Width"
  platform::TextBox* txtPhoneResX;
  QLabel* Label5;  // "Height"
  platform::TextBox* txtPhoneResY;
  // Under a picture too large for the window.
  ZoomBar* zoomBar;

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
  // The size limit in its box in bytes; none when the box is empty. A limit
  // that is no whole number of at least 1 KB empties the box.
  std::optional<int64_t> MaxJpegBytes();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateOpenFrame();
  void CreateSizeFrame();
  void CreateCropAndSaveFrames();
  void CreatePictureSurfaces();
  void CreateManipulationFrame();
  void CreatePhoneFrame();
  void SetInitialStates();
  void ConnectHandlers();
  void CreateZoomControls();
  // The selection tool and the picture layout, over the surfaces made above.
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

  // The file decoded, or taken from the decoding begun for it.
  formats::PictureRegion Decode(const std::string& fileName);
  // Loads the file; a file that can't be decoded is reported and changes nothing.
  bool TryLoadFile(std::string& fileName);
  // Loads sFileName just chosen; on failure sFileName goes back to `previous`.
  void LoadChosenFile(const std::string& previous);
  // One place decides which commands can be used, from the state.
  void UpdateActions();
  // Makes the resized picture the result, shown in picDest.
  void ShowResized(std::unique_ptr<cDIBSection> resized);
  // With Keep proportions on, the other box follows the typed one at the picture's aspect ratio.
  void KeepProportion(const platform::TextBox& typed, platform::TextBox& other, const char* marker,
                      bool heightTyped);

  QPointer<Form2> form2_;
  // The decoding of the file being opened, begun before the window asked for it.
  std::future<formats::PictureRegion> decoding_;
  // Folders of the picture opened last and of the file saved last.
  std::string openFolder_;
  std::string saveFolder_;
  // The loaded picture's size, as its labels show it; none before the first load.
  std::optional<PixelSize> pictureSize_;
  CommandState state_;
  std::unique_ptr<SelectionTool> selection_;
  std::unique_ptr<PictureLayout> layout_;
  int16_t scaleMode_ = gdi::vbTwips;
};
