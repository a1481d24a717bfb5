#pragma once

#include <QPointer>
#include <QWidget>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "app/Form1Controls.h"
#include "app/Form2.h"
#include "app/MapMakerAids.h"
#include "app/PixelSize.h"
#include "app/SaveKinds.h"
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
// do the work: the selection tool, the picture layout and its zoom.
class MainMenu;

class PictureLayout;
class SelectionTool;

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
  void ShowStatus(std::optional<QPointF> pointer);
  // The same where the pointer is now, over the picture or not.
  void RefreshStatus();

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
  // Ctrl+C: the result on the clipboard as a picture. Ctrl+V: the clipboard's
  // picture opened as from a file named "Clipboard".
  void CopyResult();
  void OpenFromClipboard();
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

  // For map makers. During a selection: G snaps the frame's corner to a grid
  // (Shift+G asks for its cell size), R steps through the reductions of a
  // region and L averages in linear light. At any time: Ctrl+Shift+C copies
  // the command line of the crop fixed last, Ctrl+Shift+R repeats that crop
  // on the picture now open, Ctrl+Shift+Delete forgets every remembered frame.
  // A menu can offer these as they stand.
  void ToggleGridSnap();
  void ChooseGridSize();
  void NextReduction();
  void ToggleLinearLight();
  void CopyCropCommand();
  void RepeatLastCrop();
  void ForgetRememberedFrames();
  MapMakerAids& Aids() { return aids_; }
  // The command line CopyCropCommand puts on the clipboard; empty before a crop.
  std::string CropCommandLine() const;
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
  // One dialog for every kind written; the JPEG choices are those of the covered boxes.
  void SaveAs();
  // A crop or a resized picture is shown as the result; before one, picDest is blank.
  bool HasResult() const;
  // The quality in its box as a whole number; an unreadable one becomes 90, in the box too.
  int32_t GetJPEGQuality();
  // The size limit in its box in bytes; none when the box is empty. A limit
  // that is no whole number of at least 1 KB empties the box.
  std::optional<int64_t> MaxJpegBytes();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateMenuAndStatus();
  void PlaceMenuAndStatus();
  // In pixels and in twips: the menu bar's and the status line's height.
  int ExtraHeight() const;
  float ExtraHeightTwips() const;
  void ConnectHandlers();
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
  // Says there is nothing to save yet when there is no result.
  bool ResultToSave();
  void Command7_Click();
  void Command8_Click();

  // The file decoded, or taken from the decoding begun for it. Decoding runs
  // on another thread while the window repaints under its busy cursor; the
  // user's clicks and keys wait for it, but closing the window abandons it
  // (LoadAbandoned) and leaves the window as it was.
  formats::PictureRegion Decode(const std::string& fileName);
  formats::PictureRegion AwaitDecoding(std::future<formats::PictureRegion>& decoding);
  struct LoadAbandoned {};

 public:
  // For tests: what decodes a picture on the worker thread instead of the
  // program's decoder; nullptr puts that back.
  using PictureDecoder = formats::PictureRegion (*)(const std::string& fileName);
  static void SetPictureDecoder(PictureDecoder decoder);

 private:
  // Loads the file; a file that can't be decoded is reported and changes nothing.
  bool TryLoadFile(std::string& fileName);
  // Loads sFileName just chosen; on failure sFileName goes back to `previous`.
  void LoadChosenFile(const std::string& previous);
  // One place decides which commands can be used, from the state.
  void UpdateActions();
  // The grid and reduction chosen, given to the selection, which redraws.
  void ApplyMapChoices();
  void ShowMapHint();
  // Starts a selection at a crop: its size into the boxes, then its region.
  bool BeginAt(const std::optional<FixedCrop>& crop);
  // Makes the resized picture the result, shown in picDest.
  void ShowResized(std::unique_ptr<cDIBSection> resized);
  // With Keep proportions on, the other box follows the typed one at the picture's aspect ratio.
  void KeepProportion(const platform::TextBox& typed, platform::TextBox& other, const char* marker,
                      bool heightTyped);

  QWidget* client_;
  MainMenu* menu_ = nullptr;
  QPointer<Form2> form2_;
  // The decoding of the file being opened, begun before the window asked for it.
  std::future<formats::PictureRegion> decoding_;
  // The picture shown came from the clipboard: Refresh has no file to read.
  bool pasted_ = false;
  // What a library said while the last picture was decoded on its thread.
  std::shared_ptr<std::string> decodingSaid_ = std::make_shared<std::string>();
  // Folders of the picture opened last and of the file saved last.
  std::string openFolder_;
  std::string saveFolder_;
  // The kind Save As wrote last, offered first the next time.
  SaveKinds::Kind saveKind_ = SaveKinds::kOffered;
  // The loaded picture's size, as its labels show it; none before the first load.
  std::optional<PixelSize> pictureSize_;
  CommandState state_;
  std::unique_ptr<SelectionTool> selection_;
  MapMakerAids aids_;
  // The picture whose remembered frame its first selection started at.
  std::string frameRestoredFor_;
  std::unique_ptr<PictureLayout> layout_;
  int16_t scaleMode_ = gdi::vbTwips;
  // The window was closed while a picture was being decoded.
  bool closing_ = false;
};
