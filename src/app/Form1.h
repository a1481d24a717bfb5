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
#include <vector>

#include "app/Form2.h"
#include "app/SelectionKeys.h"
#include "app/ZoomBar.h"
#include "formats/PictureRegion.h"
#include "imaging/ReducedCopies.h"
#include "imaging/cDIBSection.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/PictureSurface.h"
#include "platform/ui/LineShape.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

// The main window: four numbered steps on the left, the picture and the
// result on the right. The "Image Manipulation" and "My Phone/PDA" frames and
// the JPEG save button lie under "2)   Select Your Size", unseen, and still
// hold the working values.
struct RegionSize;

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
  bool bSelecting = false;
  // The colour of the frame drawn last; it alternates white and black.
  gdi::COLORREF lRectColor = 0;

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
  // Fits picSource, picDest and the zoom row into the window: as placed when
  // they fit, else the picture in a scrolling view beside the preview.
  void ArrangePictures();

  // Zoom: steps in (positive) or out around a point of picSource; actual size; the whole picture.
  void ZoomBy(int steps, QPointF at);
  void ZoomToActualSize();
  void ZoomToFit();

  // Selection.
  void Command3_Click();
  void picSource_MouseMove(int button, int shift, float X, float Y);
  void picSource_Click();
  // Leaves selection mode without fixing anything: the result shows what it
  // showed before "&Make Your Selection" and cDIB is untouched.
  void CancelSelection();
  // Moves the frame by whole picture pixels, clamped as the mouse's is.
  void NudgeSelection(int32_t dx, int32_t dy);
  // The frame grows (+1) or shrinks (-1) by an eighth of the result's size,
  // never below it, or goes back to it (0); the preview shows the region
  // resampled to the result's size.
  void GrowSelection(int change);
  // The frame becomes the largest region of the result's proportions that
  // fits in the picture, centred.
  void FitSelection();
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

  void Form_Load();
  void Form_Unload();
  void Option1_Click();
  void Option2_Click();
  // Either selection size box changed.
  void SelectionSize_Change();
  // The option of the size the selection boxes hold is the one shown, or none.
  void ShowChosenSize();
  // The side of the size option shown; none when neither is.
  std::optional<std::string> ChosenSide() const;
  void SaveChoices();
  void Command5_Click();
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
  // The selection size from its boxes, when both hold usable whole numbers.
  std::optional<std::pair<int32_t, int32_t>> SelectionSize() const;
  // The part of the picture the frame takes for a result of width x height.
  RegionSize SelectionRegion(int32_t width, int32_t height) const;
  // The loaded picture's size from its labels; none before a picture is loaded.
  std::optional<std::pair<int32_t, int32_t>> LoadedPictureSize() const;
  // Puts back the clean picture under every frame drawn since the last wipe,
  // within `bounds`: all a wipe of the whole picture would change.
  // The last wipe, at the click, forgets every frame.
  void WipeFrames(const gdi::Rect& bounds, bool lastWipe);
  // The wipe when selection mode ends: the whole clean picture.
  void WipeAllFrames();
  // The click's steps after leaving selection mode.
  void FixSelection();
  void LeaveSelectionMode();
  // picDest and picDestBuffer at the selection's size, the buffer cleared.
  void SizeSelectionSurfaces(int32_t width, int32_t height);
  // Frames and previews the block for a pointer at (x, y) in picture pixels.
  void MoveSelection(int32_t x, int32_t y);
  // A region of a picture resampled to width x height.
  struct RegionShown {
    gdi::PicturePtr picture;
    gdi::Rect region;
    int32_t width;
    int32_t height;
  };
  // Into picDestBuffer, quickly: a large region from reduced copies of the picture.
  void PreviewRegion(RegionShown shown);
  // Into picDestBuffer, exactly as the command line makes it.
  void BufferRegion(const RegionShown& shown);
  // A preview made from reduced copies gives way to the region's own result.
  void SharpenPreview();
  // The pointer's place over picSource in picture pixels; none when it is elsewhere.
  std::optional<std::pair<int32_t, int32_t>> PointerOverPicture() const;
  void ShowSelectionHint(bool shown);
  void KeepResultBefore();
  void RestoreResultBefore();
  // Sizes picDest, positioned in twips, to hold width x height pixels.
  void SetDestPixelSize(int32_t width, int32_t height);
  // Makes the resized picture the result, shown in picDest.
  void ShowResized(std::unique_ptr<cDIBSection> resized);
  // With Keep proportions on, the other box follows the typed one at the picture's aspect ratio.
  void KeepProportion(const platform::TextBox& typed, platform::TextBox& other, const char* marker,
                      bool heightTyped);

  // The window never reaches past the screen's available area.
  void KeepWindowOnScreen();
  bool PicturesFitAsTheyAre() const;
  void ShowPicturesAsTheyAre();
  // The room the preview may take beside the view.
  QSize PreviewRoom(const QRect& client, QPoint origin, int gap) const;
  // The zoom the user last chose, for a picture that doesn't fit at 100 %.
  void ApplyZoomChoice();
  void ChooseZoom(double zoom, bool fit, QPointF at);
  // Around the pointer when it is over the picture, else around the view's centre.
  QPointF ZoomAnchor() const;

  QPointer<Form2> form2_;
  // The decoding of the file being opened, begun before the window asked for it.
  std::future<formats::PictureRegion> decoding_;
  // What a library said while the last picture was decoded on its thread.
  std::shared_ptr<std::string> decodingSaid_ = std::make_shared<std::string>();
  // In picture pixels: the pointer place the frame drawn last was asked for,
  // where a new size puts the frame; and the place that frame would have
  // without clamping, where a nudge starts from.
  std::optional<std::pair<int32_t, int32_t>> selectionPointer_;
  std::optional<std::pair<int32_t, int32_t>> selectionCentre_;
  // What picDest showed before "&Make Your Selection", for a cancel.
  struct ResultBefore {
    float width;
    float height;
    bool autoRedraw;
    std::unique_ptr<gdi::Bitmap> image;
  };
  std::optional<ResultBefore> resultBefore_;
  // Folders of the picture opened last and of the file saved last.
  std::string openFolder_;
  std::string saveFolder_;
  // Frames drawn on picSource and not yet wiped.
  std::vector<gdi::Rect> framesDrawn_;
  // Reduced copies of the picture, for quick previews of large regions during a selection.
  std::unique_ptr<ReducedCopies> reducedCopies_;
  // What picDestBuffer shows when it came from them.
  std::optional<RegionShown> roughPreview_;
  // Counts "Make Your Selection", moves and clicks, so a move resumed after its
  // drawing's yield knows whether another one ran meanwhile.
  uint64_t selectionEvents_ = 0;
  int16_t scaleMode_ = gdi::vbTwips;
  // The picture sits in a view sized to the window (else as placed).
  bool arranged_ = false;
  // FitWindow's steps are under way; the layout waits for their end.
  bool holdArrangement_ = false;
  // The window was closed while a picture was being decoded.
  bool closing_ = false;
  // The zoom follows the window, showing the whole picture.
  bool zoomFits_ = false;
  // The user's last choice, kept for the next picture of the run.
  double zoomChoice_ = 1.0;
  bool zoomChoiceFits_ = false;
  // The frame's size in eighths of the result's; or the whole picture's largest region.
  int32_t regionEighths_ = kEighths;
  bool regionFits_ = false;
  static constexpr int32_t kEighths = 8;
};
