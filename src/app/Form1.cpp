#include "app/Form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QScopedValueRollback>
#include <QShortcut>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/AppResources.h"
#include "app/ZoomSteps.h"
#include "core/ErrorWords.h"
#include "core/PictureCropper.h"
#include "core/PictureResizer.h"
#include "core/PictureWriter.h"
#include "core/RegionScaler.h"
#include "core/ResultLimits.h"
#include "core/SelectionGeometry.h"
#include "dialogs/OpenSaveDLG.h"
#include "dialogs/mCommonDialog.h"
#include "formats/PictureDecoder.h"
#include "formats/jpeg/JpegBudget.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "formats/tga/SaveTGA.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Checked.h"
#include "platform/base/Convert.h"
#include "platform/base/LibraryMessages.h"
#include "platform/base/MessageBox.h"
#include "platform/base/PrintableName.h"
#include "platform/base/Screen.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/ControlFactory.h"
#include "platform/ui/Events.h"
#include "platform/ui/FileNameBytes.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/ReplaceQuestion.h"
#include "platform/ui/ScreenMetrics.h"
#include "platform/ui/Settings.h"
#include "platform/ui/Twips.h"
#include "platform/ui/WindowHandles.h"

using platform::ControlFactory;
using platform::HandlerGuard;
using platform::Twips;

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kPhoneResX = "PhoneResX";
constexpr const char* kPhoneResY = "PhoneResY";
constexpr const char* kSizeOption = "SizeOption";
constexpr const char* kOpenFolder = "OpenFolder";
constexpr const char* kSaveFolder = "SaveFolder";

constexpr const char* kTitle = "Quarvel";
constexpr const char* kSelectionHint =
    " - move over the picture; click or Enter crops, Esc cancels, arrow keys nudge, ] and [ grow and "
    "shrink the frame, \\ back to 1:1, A frames the whole picture";

constexpr const char* kOpenFilter = "Images (*.JPG *.BMP *.GIF)|*.JPG;*.BMP;*.GIF|All Files (*.*)|*.*";
constexpr size_t kDialogNameLimit = 260;

constexpr const char* kOpenFailed = "There was a problem attempting to open this file";

constexpr char kTargaFilter[] = "Targa (*.tga)\0*.tga\0";
constexpr const char* kJpegFilter = "JPEG Files (*.JPG)|*.JPG|All Files (*.*)|*.*";
constexpr const char* kSaveFailed = "Failed to save the picture to the file: '";

constexpr const char* kNoPictureToResize = "Open a picture before resizing it.";
constexpr const char* kSizeNotWhole = "Type the new width and height as whole numbers of pixels.";
constexpr const char* kSizeTooSmall = "The new width and height must be at least 1 pixel.";

constexpr gdi::COLORREF kWhite = 0x00FFFFFF;
constexpr gdi::COLORREF kBlack = 0;

// Twips between the picture and the preview, as a load places them, and kept
// free at the window's edges when the picture is in a view.
constexpr float kPictureGap = 120.0f;
// The preview keeps room for the larger offered crop beside a view.
constexpr int kPreviewRoom = 256;
// The smallest view, in pixels, in the smallest window.
constexpr int kMinView = 48;
// The narrowest window keeps the four frames whole, as FitWindow's own lower bound does.
constexpr float kMinWindowWidth = 1800.0f + 915.0f + 250.0f;
constexpr float kMinWindowHeight = 4440.0f + 1455.0f + 120.0f;

constexpr gdi::COLORREF kEtchShadow = gdi::RGB(128, 128, 128);
constexpr gdi::COLORREF kEtchLight = gdi::RGB(255, 255, 255);

// Reads a setting, storing the default first when it reads as empty text.
std::string SettingOrDefault(const char* key, const char* fallback) {
  const std::string& app = platform::AppInfo::Title();
  if (platform::GetSetting(app, kSection, key).empty()) platform::SaveSetting(app, kSection, key, fallback);
  return platform::GetSetting(app, kSection, key);
}

std::string Setting(const char* key) {
  return platform::GetSetting(platform::AppInfo::Title(), kSection, key);
}

void StoreSetting(const char* key, const std::string& value) {
  platform::SaveSetting(platform::AppInfo::Title(), kSection, key, value);
}

// A size box or label read as a whole number, when it holds one.
std::optional<int32_t> WholeNumber(const std::string& text) {
  if (!convert::IsNumeric(text)) return std::nullopt;
  try {
    return convert::TextToInt32(text);
  } catch (const platform::AppError&) {
    return std::nullopt;
  }
}

std::string Caption(const QLabel& label) { return label.text().toStdString(); }

void SetCaption(QLabel& label, const std::string& text) { label.setText(QString::fromStdString(text)); }

// The part of a path after its last folder separator.
std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

std::string NumericOr(const platform::TextBox& box, const QLabel& fallback) {
  return convert::IsNumeric(box.Text()) ? box.Text() : Caption(fallback);
}

void Warn(const std::string& text) {
  platform::MessageBox::Show(text, platform::MsgStyle::Exclamation, platform::AppInfo::Title());
}

// A save that fails says so, naming the file; the writer's reason goes on a line of its own.
void SaveOrReport(const std::string& path, const std::function<bool()>& save) {
  std::string reason;
  try {
    if (save()) return;
  } catch (const std::exception& e) {
    reason = ErrorWords::Of(e);
  }
  Warn(kSaveFailed + platform::PrintableName::Line(path) + "'" +
       (reason.empty() ? "" : "\n" + platform::PrintableName::Line(reason)));
}

// The four one-pixel edges an outline covers, clipped to `bounds`.
std::vector<gdi::Rect> EdgesOf(const gdi::Rect& frame, const gdi::Rect& bounds) {
  const gdi::Rect edges[4] = {{frame.left, frame.top, frame.right, frame.top + 1},
                              {frame.left, frame.bottom - 1, frame.right, frame.bottom},
                              {frame.left, frame.top, frame.left + 1, frame.bottom},
                              {frame.right - 1, frame.top, frame.right, frame.bottom}};
  std::vector<gdi::Rect> clipped;
  for (const gdi::Rect& e : edges) {
    gdi::Rect c{std::max(e.left, bounds.left), std::max(e.top, bounds.top), std::min(e.right, bounds.right),
                std::min(e.bottom, bounds.bottom)};
    if (!c.Empty()) clipped.push_back(c);
  }
  return clipped;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setWindowIcon(AppResources::Icon());
  setFont(AppResources::WindowFont());
  Twips::SetClientSize(*this, 7320, 6015);
  CreateOpenFrame();
  CreateSizeFrame();
  CreateCropAndSaveFrames();
  CreatePictureSurfaces();
  CreateManipulationFrame();
  CreatePhoneFrame();
  // In front of the JPEG save button and the two frames it covers, hiding them.
  Frame5->setAutoFillBackground(true);
  Frame5->raise();
  CreateZoomControls();
  SetInitialStates();
  ConnectHandlers();
  new SelectionKeys(this, {[this] { return bSelecting; }, [this] { CancelSelection(); },
                           [this](int dx, int dy) { NudgeSelection(dx, dy); }, [this] { picSource_Click(); },
                           [this](int change) { GrowSelection(change); }, [this] { FitSelection(); }});
  HandlerGuard::Run([this] { Form_Load(); });
}

Form1::~Form1() { delete form2_.data(); }

float Form1::Width() const { return Twips::OuterWidth(*this); }
float Form1::Height() const { return Twips::OuterHeight(*this); }
void Form1::SetWidth(float width) { Twips::SetOuterWidth(*this, width); }
void Form1::SetHeight(float height) { Twips::SetOuterHeight(*this, height); }
int16_t Form1::WindowState() const { return Twips::WindowState(*this); }

void Form1::SetScaleMode(int16_t mode) {
  if (mode != gdi::vbTwips && mode != gdi::vbPixels) {
    throw platform::AppError::Standard(platform::ErrorNumber::InvalidArgument);
  }
  scaleMode_ = mode;
}

Form2* Form1::HelpWindow() const { return form2_ && form2_->isVisible() ? form2_.data() : nullptr; }

void Form1::closeEvent(QCloseEvent* event) {
  event->accept();
  closing_ = true;
  HandlerGuard::Run([this] { Form_Unload(); });
}

void Form1::resizeEvent(QResizeEvent*) {
  HandlerGuard::Run([this] { ArrangePictures(); });
}

void Form1::CreateOpenFrame() {
  Frame2 = ControlFactory::Frame(this, "1)   Open Your Picture", 120, 120, 2775, 1935);
  lblFile = ControlFactory::Label(Frame2, "[file name]", 240, 300, 2235, 195);
  Command1 = ControlFactory::Button(Frame2, "&Open", 240, 600, 1035, 315);
  cmdReload = ControlFactory::Button(Frame2, "&Refresh", 1440, 600, 1035, 315);
  Label8 = ControlFactory::Label(Frame2, "Image Information:", 240, 1080, 1875, 195);
  Label10 = ControlFactory::Label(Frame2, "Width", 240, 1380, 855, 195);
  lblOrigWidth = ControlFactory::Label(Frame2, "-", 1560, 1380, 855, 195);
  Label11 = ControlFactory::Label(Frame2, "Height", 240, 1620, 855, 195);
  lblOrigHeight = ControlFactory::Label(Frame2, "-", 1560, 1620, 855, 195);
}

void Form1::CreateSizeFrame() {
  Frame5 = ControlFactory::Frame(this, "2)   Select Your Size", 120, 2160, 2775, 1095);
  Option1 = ControlFactory::Option(Frame5, "128 x 128", 240, 360, 1095, 255);
  Option2 = ControlFactory::Option(Frame5, "256 x 256", 240, 600, 1095, 255);
}

void Form1::CreateCropAndSaveFrames() {
  Frame6 = ControlFactory::Frame(this, "3)   Crop Your Picture", 120, 3360, 2775, 975);
  Command3 = ControlFactory::Button(Frame6, "&Make Your Selection", 480, 360, 1755, 375);
  Frame4 = ControlFactory::Frame(this, "4)   Save Your Picture And Exit", 120, 4440, 2775, 1455);
  Command6 = ControlFactory::Button(Frame4, "&Save", 240, 360, 1035, 375);
  Command5 = ControlFactory::Button(Frame4, "&Exit", 1560, 360, 1035, 375);
  Command7 = ControlFactory::Button(Frame4, "&Help", 240, 840, 1035, 375);
  Command8 = ControlFactory::Button(Frame4, "&About", 1560, 840, 1035, 375);
}

void Form1::CreatePictureSurfaces() {
  picSource = ControlFactory::Picture(this, 3000, 120, 1995, 555);
  picDest = ControlFactory::Picture(this, 5040, 120, 1995, 555);
  picBuffer = ControlFactory::Picture(this, 720, 1080, 555, 675);
  picDestBuffer = ControlFactory::Picture(this, 1440, 1200, 735, 555);
  for (platform::PictureBox* surface : {picSource, picDest, picBuffer, picDestBuffer}) {
    surface->SetScaleMode(gdi::vbPixels);
  }
  picSource->SetAutoSize(true);
  picBuffer->SetAutoSize(true);
  picSource->SetScrollable(true);
  cmdSave = ControlFactory::Button(this, "", 1800, 2640, 915, 375);
}

void Form1::CreateZoomControls() {
  setMinimumSize(Twips::ToPixelsX(kMinWindowWidth), Twips::ToPixelsY(kMinWindowHeight));
  zoomBar = new ZoomBar(this);
  zoomBar->hide();
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence::ZoomIn, [this] { ZoomBy(1, ZoomAnchor()); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ZoomBy(1, ZoomAnchor()); }},
      {QKeySequence::ZoomOut, [this] { ZoomBy(-1, ZoomAnchor()); }},
      {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ZoomToActualSize(); }},
      {QKeySequence(Qt::Key_F), [this] { ZoomToFit(); }},
  };
  for (const auto& [key, action] : keys) {
    connect(new QShortcut(key, this), &QShortcut::activated, this, HandlerGuard::Wrap(action));
  }
}

void Form1::CreateManipulationFrame() {
  Frame3 = ControlFactory::Frame(this, "Image Manipulation", 360, 2520, 615, 555);
  Label1 = ControlFactory::Label(Frame3, "New Width", 240, 420, 795, 195);
  txtWidth = ControlFactory::Text(Frame3, "", 1740, 360, 675, 285);
  Label2 = ControlFactory::Label(Frame3, "New Height", 240, 780, 915, 195);
  txtHeight = ControlFactory::Text(Frame3, "", 1740, 720, 675, 285);
  chkKeepProportion = ControlFactory::CheckBox(Frame3, "&Keep proportions", 200, 1080, 2220, 255);
  Command2 = ControlFactory::Button(Frame3, "Resize Image", 1020, 1440, 1395, 375);
  Line1 = new platform::LineShape(Frame3, kEtchShadow, 0, 1980, 2640, 1980);
  Line2 = new platform::LineShape(Frame3, kEtchLight, 10, 1990, 2640, 1990);
  Label12 = ControlFactory::Label(Frame3, "Selection Width", 180, 2220, 1335, 195);
  txtSelWidth = ControlFactory::Text(Frame3, "", 1740, 2160, 675, 285);
  Label13 = ControlFactory::Label(Frame3, "Selection Height", 180, 2520, 1335, 195);
  txtSelHeight = ControlFactory::Text(Frame3, "", 1740, 2520, 675, 285);
  Command4 = ControlFactory::Button(Frame3, "Screen Dimensions", 180, 2880, 2235, 375);
  Line3 = new platform::LineShape(Frame3, kEtchShadow, 0, 3960, 2630, 3960);
  Line4 = new platform::LineShape(Frame3, kEtchLight, 10, 3970, 2630, 3970);
  Label14 = ControlFactory::Label(Frame3, "JPEG Quality", 180, 4200, 1395, 195);
  txtQuality = ControlFactory::Text(Frame3, "90", 1920, 4140, 495, 315);
  Label15 = ControlFactory::Label(Frame3, "Max. size (KB)", 180, 4620, 1395, 195);
  txtMaxSize = ControlFactory::Text(Frame3, "", 1920, 4560, 495, 315);
}

void Form1::CreatePhoneFrame() {
  Frame1 = ControlFactory::Frame(this, "My Phone/PDA", 1320, 2640, 615, 435);
  Label3 = ControlFactory::Label(Frame1, "Screen Resolution:", 240, 300, 1515, 195);
  Label4 = ControlFactory::Label(Frame1, "Width", 240, 660, 435, 195);
  txtPhoneResX = ControlFactory::Text(Frame1, "128", 780, 600, 495, 285);
  Label5 = ControlFactory::Label(Frame1, "Height", 1380, 660, 495, 195);
  txtPhoneResY = ControlFactory::Text(Frame1, "128", 1920, 600, 495, 285);
}

void Form1::SetInitialStates() {
  cmdReload->setEnabled(false);
  cmdSave->setEnabled(false);
  Frame3->setEnabled(false);
  picBuffer->hide();
  picDestBuffer->hide();
  lblOrigWidth->setAlignment(Qt::AlignRight | Qt::AlignTop);
  lblOrigHeight->setAlignment(Qt::AlignRight | Qt::AlignTop);
}

void Form1::ConnectHandlers() {
  // A click, not a change of state: clicking the option already shown sets its size again.
  connect(Option1, &QRadioButton::clicked, this, HandlerGuard::Wrap([this] { Option1_Click(); }));
  connect(Option2, &QRadioButton::clicked, this, HandlerGuard::Wrap([this] { Option2_Click(); }));
  connect(txtSelWidth, &QLineEdit::textChanged, this, HandlerGuard::Wrap([this] { SelectionSize_Change(); }));
  connect(txtSelHeight, &QLineEdit::textChanged, this,
          HandlerGuard::Wrap([this] { SelectionSize_Change(); }));
  connect(Command1, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command1_Click(); }));
  connect(cmdReload, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { cmdReload_Click(); }));
  connect(Command3, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command3_Click(); }));
  connect(picSource, &platform::PictureBox::mouseMoved, this,
          HandlerGuard::Wrap(
              [this](int button, int shift, float x, float y) { picSource_MouseMove(button, shift, x, y); }));
  connect(picSource, &platform::PictureBox::clicked, this, HandlerGuard::Wrap([this] { picSource_Click(); }));
  connect(Command2, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command2_Click(); }));
  connect(txtHeight, &QLineEdit::textChanged, this, HandlerGuard::Wrap([this] { txtHeight_Change(); }));
  connect(txtWidth, &QLineEdit::textChanged, this, HandlerGuard::Wrap([this] { txtWidth_Change(); }));
  connect(Command4, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command4_Click(); }));
  connect(Command6, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command6_Click(); }));
  connect(cmdSave, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { cmdSave_Click(); }));
  connect(Command5, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command5_Click(); }));
  connect(Command7, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command7_Click(); }));
  connect(Command8, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { Command8_Click(); }));
  picSource->SetFollowPointer([this] { return bSelecting; });
  connect(picSource, &platform::PictureBox::zoomRequested, this,
          HandlerGuard::Wrap([this](int steps, QPointF at) { ZoomBy(steps, at); }));
  connect(zoomBar->cmdZoomOut, &QPushButton::clicked, this,
          HandlerGuard::Wrap([this] { ZoomBy(-1, ZoomAnchor()); }));
  connect(zoomBar->cmdZoomIn, &QPushButton::clicked, this,
          HandlerGuard::Wrap([this] { ZoomBy(1, ZoomAnchor()); }));
  connect(zoomBar->cmdActualSize, &QPushButton::clicked, this,
          HandlerGuard::Wrap([this] { ZoomToActualSize(); }));
  connect(zoomBar->cmdFit, &QPushButton::clicked, this, HandlerGuard::Wrap([this] { ZoomToFit(); }));
}

void Form1::Form_Load() {
  platform::AppInfo::SetTitle(kTitle);
  // A store that can't be written is reported, and the window still starts as it should.
  HandlerGuard::Run([this] {
    txtPhoneResX->SetText(SettingOrDefault(kPhoneResX, "240"));
    txtPhoneResY->SetText(SettingOrDefault(kPhoneResY, "320"));
  });
  QRadioButton* chosen = Setting(kSizeOption) == "256" ? Option2 : Option1;
  openFolder_ = Setting(kOpenFolder);
  saveFolder_ = Setting(kSaveFolder);
  chosen->click();
  txtPhoneResX->SetText("128");
  txtPhoneResY->SetText("128");
  txtSelWidth->SetText(ChosenSide().value_or("128"));
  txtSelHeight->SetText(ChosenSide().value_or("128"));
}

void Form1::Form_Unload() {
  if (convert::IsNumeric(txtPhoneResY->Text()) && convert::IsNumeric(txtPhoneResX->Text())) {
    StoreSetting(kPhoneResX, txtPhoneResX->Text());
    StoreSetting(kPhoneResY, txtPhoneResY->Text());
  }
  SaveChoices();
}

// Kept for the next start: a size no option shows leaves the stored choice as it was.
void Form1::SaveChoices() {
  if (auto side = ChosenSide()) StoreSetting(kSizeOption, *side);
  if (!openFolder_.empty()) StoreSetting(kOpenFolder, openFolder_);
  if (!saveFolder_.empty()) StoreSetting(kSaveFolder, saveFolder_);
}

void Form1::Option1_Click() {
  txtSelWidth->SetText("128");
  txtSelHeight->SetText("128");
}

void Form1::Option2_Click() {
  txtSelWidth->SetText("256");
  txtSelHeight->SetText("256");
}

// A size changed during a selection takes effect at once: the surfaces, the
// frame and the preview follow it, so the click fixes the size last shown.
void Form1::SelectionSize_Change() {
  ShowChosenSize();
  if (!bSelecting) return;
  auto size = SelectionSize();
  if (!size) return;
  if (size->first == convert::RoundToInt32(picDest->ScaleWidth()) &&
      size->second == convert::RoundToInt32(picDest->ScaleHeight())) {
    return;
  }
  ++selectionEvents_;
  SizeSelectionSurfaces(size->first, size->second);
  FitWindow();
  if (selectionPointer_) MoveSelection(selectionPointer_->first, selectionPointer_->second);
}

void Form1::ShowChosenSize() {
  auto size = SelectionSize();
  QRadioButton* shown = nullptr;
  if (size == std::make_pair(128, 128)) shown = Option1;
  if (size == std::make_pair(256, 256)) shown = Option2;
  if (shown) {
    shown->setChecked(true);
    return;
  }
  // Options that exclude each other can't all be off until they stop doing so.
  for (QRadioButton* option : {Option1, Option2}) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
}

std::optional<std::string> Form1::ChosenSide() const {
  if (Option1->isChecked()) return "128";
  if (Option2->isChecked()) return "256";
  return std::nullopt;
}

void Form1::Command5_Click() { close(); }

// Not modal and without an owner: the main window stays usable, and either
// window may be closed first.
void Form1::Command7_Click() {
  if (!HelpWindow()) form2_ = new Form2();
  form2_->show();
  form2_->raise();
  form2_->activateWindow();
}

void Form1::Command8_Click() {
  platform::MessageBox::Show(
      "Quarvel 1.0 cuts square mini-map pictures out of any picture.\n"
      "      Open, choose the size, crop and save.",
      platform::MsgStyle::OkOnly, platform::AppInfo::Title());
}

void Form1::Command1_Click() {
  std::string previous = sFileName;
  // The dialog starts from a name of at most 259 characters; a longer one,
  // opened from the command line or by a drop, starts it empty.
  if (sFileName.size() >= kDialogNameLimit) sFileName.clear();
  std::string fileTitle;
  std::string filter = kOpenFilter;
  int32_t filterIndex = 1;
  int32_t flags = 0;
  bool readOnly = false;
  bool chosen =
      mCommonDialog::ShowOpenDialog(sFileName, fileTitle, true, false, readOnly, false, filter, filterIndex,
                                    openFolder_, "", "JPG", platform::WindowHandles::HandleOf(this), flags);
  if (!chosen) {
    platform::MessageBox::Show(kOpenFailed, platform::MsgStyle::Critical, platform::AppInfo::Title());
    return;
  }
  LoadChosenFile(previous);
}

void Form1::OpenPicture(const std::string& path) {
  std::string previous = sFileName;
  sFileName = path;
  LoadChosenFile(previous);
}

void Form1::OpenPicture(const std::string& path, std::future<formats::PictureRegion> decoding) {
  decoding_ = std::move(decoding);
  OpenPicture(path);
}

void Form1::LoadChosenFile(const std::string& previous) {
  if (!TryLoadFile(sFileName)) {
    // The picture on screen is still the previous file's, and Refresh should load that one.
    sFileName = previous;
    return;
  }
  cmdReload->setEnabled(true);
  openFolder_ = FolderOf(sFileName);
}

void Form1::cmdReload_Click() {
  if (TryLoadFile(sFileName)) cmdSave->setEnabled(false);
}

// What the toolkit says while reading is kept from the terminal and from the
// user, unless it explains why the picture did not open.
bool Form1::TryLoadFile(std::string& fileName) {
  const platform::LibraryMessages::Capture said;
  try {
    const std::string damage = LoadFile(fileName);
    // What could be read is on screen; the user should know it is not all there is.
    if (!damage.empty())
      Warn(formats::PictureLimits::Damaged(damage).Description() + ".\nWhat could be read of it is shown.");
    return true;
  } catch (const platform::AppError& e) {
    const std::string why = decodingSaid_->empty() ? said.Explanation() : *decodingSaid_;
    platform::MessageBox::Show(
        std::string(kOpenFailed) + "\n" +
            ErrorWords::Explained(ErrorWords::Named(fileName, ErrorWords::Opening(e)), why),
        platform::MsgStyle::Critical, platform::AppInfo::Title());
    return false;
  } catch (const LoadAbandoned&) {
    return false;
  }
}

std::string Form1::LoadFile(std::string& fileName) {
  const platform::BusyCursor busy;
  // Decoding comes first and is the only step that fails on a bad file, so a
  // failure leaves everything as it was.
  formats::PictureRegion decoded = Decode(fileName);
  picSource->SetPicture(std::move(decoded.picture));
  // Named and measured at once, with the picture: the bitmap made from it
  // later has its size, and a large one takes a while.
  lblFile->setText(platform::FileNameBytes::Shown(FileNameOf(fileName)));
  SetCaption(*lblOrigWidth, convert::ToText(picSource->Picture()->Width()));
  SetCaption(*lblOrigHeight, convert::ToText(picSource->Picture()->Height()));
  // The new picture is clean: no frame is left on it to wipe.
  framesDrawn_.clear();
  picDest->SetPicture(nullptr);
  // Laid out at actual size first: at that size it either fits or takes the user's zoom.
  zoomFits_ = false;
  picSource->SetZoom(1.0, QPointF());
  platform::DoEvents();
  picDest->Move(picSource->Left() + picSource->Width() + 120.0f, picDest->Top(), picSource->Width(),
                picSource->Height());
  FitWindow();
  ApplyZoomChoice();
  picBuffer->SetPicture(picSource->Picture());
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  cDIB->CreateFromPicture(*picSource->Picture());
  // Unticked while the resize boxes are set, so their change handlers don't
  // rescale. Kept locally too: a load run inside the yield below must not make
  // this one forget to tick it again.
  const bool keepProportion = chkKeepProportion->isChecked();
  bKeepProportion = keepProportion;
  if (keepProportion) chkKeepProportion->setChecked(false);
  platform::DoEvents();
  txtWidth->SetText(NumericOr(*txtPhoneResX, *lblOrigWidth));
  txtHeight->SetText(NumericOr(*txtPhoneResY, *lblOrigHeight));
  if (keepProportion) chkKeepProportion->setChecked(true);
  // A size chosen with an option stays chosen for the new picture.
  const auto side = ChosenSide();
  txtSelWidth->SetText(side ? *side : NumericOr(*txtPhoneResX, *lblOrigWidth));
  txtSelHeight->SetText(side ? *side : NumericOr(*txtPhoneResY, *lblOrigHeight));
  if (!picSource->Picture()->Empty()) Frame3->setEnabled(true);
  return decoded.damage;
}

namespace {

std::atomic<Form1::PictureDecoder> pictureDecoder{nullptr};

// On a thread of its own, left to finish alone if the window stops waiting:
// the window never blocks on a decoding it no longer wants.
std::future<formats::PictureRegion> DecodeAside(const std::string& fileName,
                                                std::shared_ptr<std::string> said) {
  std::packaged_task<formats::PictureRegion()> task([fileName, said] {
    const platform::LibraryMessages::Capture capture;
    try {
      Form1::PictureDecoder decoder = pictureDecoder.load();
      return decoder ? decoder(fileName) : formats::DecodePicture(fileName);
    } catch (...) {
      *said = capture.Explanation();
      throw;
    }
  });
  std::future<formats::PictureRegion> decoding = task.get_future();
  std::thread(std::move(task)).detach();
  return decoding;
}

}  // namespace

void Form1::SetPictureDecoder(PictureDecoder decoder) { pictureDecoder.store(decoder); }

formats::PictureRegion Form1::Decode(const std::string& fileName) {
  decodingSaid_ = std::make_shared<std::string>();
  closing_ = false;
  std::future<formats::PictureRegion> decoding = std::move(decoding_);
  if (decoding.valid()) {
    try {
      return AwaitDecoding(decoding);
    } catch (const platform::AppError&) {
      // Begun before the toolkit's reader was there: it may read the kinds the program doesn't.
    }
  }
  if (fileName.empty()) return formats::DecodePicture(fileName);
  decoding = DecodeAside(fileName, decodingSaid_);
  return AwaitDecoding(decoding);
}

// Repaints and timers go on meanwhile; input waits, so no second load starts
// inside this one.
formats::PictureRegion Form1::AwaitDecoding(std::future<formats::PictureRegion>& decoding) {
  constexpr std::chrono::milliseconds kRepaintEvery{15};
  while (decoding.wait_for(kRepaintEvery) != std::future_status::ready) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents,
                                    static_cast<int>(kRepaintEvery.count()));
    if (closing_) throw LoadAbandoned{};
  }
  return decoding.get();
}

// Sums in single precision, as the window's geometry is kept. The window
// then stays on the screen, and the pictures take the room it has.
void Form1::FitWindow() {
  {
    const QScopedValueRollback<bool> hold(holdArrangement_, true);
    if (WindowState() != 2) {
      float h = picSource->Height() + picSource->Top() + 600.0f;
      if (h > Height()) SetHeight(h);
      SetWidth(picDest->Left() + picDest->Width() + 250.0f);
      float w = Twips::Left(*cmdSave) + Twips::Width(*cmdSave) + 250.0f;
      if (w > Width()) SetWidth(w);
      KeepWindowOnScreen();
    }
  }
  ArrangePictures();
}

void Form1::KeepWindowOnScreen() {
  const QRect area = platform::ScreenMetrics::AvailableArea(*this);
  if (area.isEmpty()) return;
  const QSize frame = frameGeometry().size() - size();
  const QSize most = (area.size() - frame).expandedTo(minimumSize());
  if (width() > most.width() || height() > most.height()) resize(size().boundedTo(most));
  const QRect outer = frameGeometry();
  const QPoint inside(
      std::clamp(outer.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
      std::clamp(outer.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
  if (inside != outer.topLeft()) move(inside);
}

void Form1::ArrangePictures() {
  if (holdArrangement_) return;
  const QScopedValueRollback<bool> hold(holdArrangement_, true);
  // Fitting a picture that fits at actual size is showing it as it is.
  if (zoomFits_) picSource->SetZoom(1.0, QPointF());
  if (PicturesFitAsTheyAre()) {
    ShowPicturesAsTheyAre();
    return;
  }
  const QRect client = rect();
  const int gap = Twips::ToPixelsX(kPictureGap);
  const QPoint origin = picSource->pos();
  const QSize preview = PreviewRoom(client, origin, gap);
  // FitWindow leaves 250 twips right of the preview, frame included: the same
  // room here keeps the view's size when FitWindow hugs it.
  const int right = std::max(gap, Twips::ToPixelsX(250.0f) - (frameGeometry().width() - width()));
  const QSize room(client.width() - origin.x() - gap - right - preview.width(),
                   client.height() - origin.y() - 2 * gap - zoomBar->sizeHint().height());
  picSource->SetViewLimit(room.expandedTo(QSize(kMinView, kMinView)));
  if (zoomFits_) picSource->SetZoom(picSource->FitZoom(), QPointF());
  const QRect view = picSource->geometry();
  picDest->SetViewLimit(preview);
  picDest->SetLeft(static_cast<float>(view.right() + 1) * platform::Screen::TwipsPerPixelX() + kPictureGap);
  zoomBar->setGeometry(QRect(QPoint(origin.x(), view.bottom() + 1 + gap / 2), zoomBar->sizeHint()));
  zoomBar->ShowZoom(picSource->Zoom());
  zoomBar->show();
  arranged_ = true;
}

bool Form1::PicturesFitAsTheyAre() const {
  if (picSource->Zoom() != 1.0) return false;
  const QRect client = rect();
  // Beside the picture is where a load puts the preview.
  const float destLeft = arranged_ ? picSource->Left() + picSource->Width() + kPictureGap : picDest->Left();
  return Twips::ToPixelsX(picSource->Left() + picSource->Width()) <= client.width() &&
         Twips::ToPixelsY(picSource->Top() + picSource->Height()) <= client.height() &&
         Twips::ToPixelsX(destLeft + picDest->Width()) <= client.width() &&
         Twips::ToPixelsY(picDest->Top() + picDest->Height()) <= client.height();
}

void Form1::ShowPicturesAsTheyAre() {
  picSource->SetViewLimit(std::nullopt);
  picDest->SetViewLimit(std::nullopt);
  if (arranged_) picDest->SetLeft(picSource->Left() + picSource->Width() + kPictureGap);
  arranged_ = false;
  zoomBar->hide();
}

QSize Form1::PreviewRoom(const QRect& client, QPoint origin, int gap) const {
  auto size = SelectionSize();
  const int cap = std::max(kPreviewRoom, size ? size->first : 0);
  const int half = std::max(0, (client.width() - origin.x() - 3 * gap) / 2);
  return QSize(
      std::min({static_cast<int>(picDest->ScaleWidth()), cap, half}),
      std::min(static_cast<int>(picDest->ScaleHeight()), std::max(0, client.height() - origin.y() - gap)));
}

void Form1::ApplyZoomChoice() {
  if (!arranged_) return;
  if (zoomChoiceFits_) {
    zoomFits_ = true;
    ArrangePictures();
  } else if (zoomChoice_ != 1.0) {
    picSource->SetZoom(zoomChoice_, QPointF());
    ArrangePictures();
  }
}

void Form1::ZoomBy(int steps, QPointF at) {
  double zoom = picSource->Zoom();
  const double lowest = std::min(1.0, picSource->FitZoom());
  for (int i = 0; i < std::abs(steps); ++i)
    zoom = steps > 0 ? ZoomSteps::In(zoom) : ZoomSteps::Out(zoom, lowest);
  ChooseZoom(zoom, false, at);
}

void Form1::ZoomToActualSize() { ChooseZoom(1.0, false, ZoomAnchor()); }

void Form1::ZoomToFit() { ChooseZoom(1.0, true, QPointF()); }

void Form1::ChooseZoom(double zoom, bool fit, QPointF at) {
  zoomChoice_ = zoom;
  zoomChoiceFits_ = fit;
  zoomFits_ = fit;
  if (!fit) picSource->SetZoom(zoom, at);
  ArrangePictures();
}

QPointF Form1::ZoomAnchor() const {
  const QPoint pointer = picSource->mapFromGlobal(QCursor::pos());
  const QRect viewport = picSource->Viewport();
  return viewport.contains(pointer) ? QPointF(pointer) : QRectF(viewport).center();
}

void Form1::Command3_Click() {
  auto size = SelectionSize();
  if (!size) return;
  {
    const platform::BusyCursor busy;
    picSource->TakeOwnPixels();
  }
  ++selectionEvents_;
  regionEighths_ = kEighths;
  regionFits_ = false;
  KeepResultBefore();
  Command3->setEnabled(false);
  picDest->SetAutoRedraw(false);
  picSource->SetAutoRedraw(false);
  bSelecting = true;
  lRectColor = kWhite;
  SizeSelectionSurfaces(size->first, size->second);
  FitWindow();
  ShowSelectionHint(true);
}

void Form1::SizeSelectionSurfaces(int32_t width, int32_t height) {
  SetDestPixelSize(width, height);
  picDestBuffer->SetWidth(picDest->Width());
  picDestBuffer->SetHeight(picDest->Height());
  // Where a block reaches outside the picture nothing is copied, so what
  // shows there is the surface's background, not an earlier selection.
  picDestBuffer->SetBackColor(picDestBuffer->BackColor());
  roughPreview_.reset();
}

void Form1::picSource_MouseMove(int, int, float X, float Y) {
  if (!bSelecting) return;
  MoveSelection(convert::RoundToInt32(X), convert::RoundToInt32(Y));
}

void Form1::MoveSelection(int32_t x, int32_t y) {
  auto size = SelectionSize();
  auto picture = LoadedPictureSize();
  if (!size || !picture) return;
  const auto [W, H] = *size;
  const RegionSize region = SelectionRegion(W, H);
  const auto [left, top] = PictureCropper::CentredCorner(x, y, region.width, region.height,
                                                         picSource->ScaleWidth(), picSource->ScaleHeight());
  selectionPointer_ = {x, y};
  selectionCentre_ = {checked::Add(left, region.width / 2), checked::Add(top, region.height / 2)};
  lRectColor = lRectColor == kBlack ? kWhite : kBlack;
  const uint64_t thisMove = ++selectionEvents_;
  WipeFrames({0, 0, picture->first, picture->second}, false);
  gdi::Rect frame = SelectionGeometry::Frame(left, top, region.width, region.height);
  // Known before the drawing yields, so a move handled inside it wipes this frame too.
  framesDrawn_.push_back(frame);
  DrawRectangle(*picSource, frame.left, frame.top, frame.right, frame.bottom, lRectColor);
  // A later move or the click, handled while the frame was drawn, has had its
  // say: copying this block now would bring that frame into the result, or
  // change the result after the click fixed it.
  if (thisMove != selectionEvents_) return;
  if (region.width == W && region.height == H) {
    PictureCropper::CopyBlock(picDestBuffer->hDC(), picSource->hDC(), {left, top}, W, H);
  } else {
    // From the picture itself: picSource carries the frame.
    const gdi::PicturePtr& clean = picSource->Picture();
    if (!clean || clean->Empty()) return;
    PreviewRegion(
        {clean, {left, top, checked::Add(left, region.width), checked::Add(top, region.height)}, W, H});
  }
  gdi::BitBlt(picDest->hDC(), 0, 0, W, H, picDestBuffer->hDC(), 0, 0, gdi::SRCCOPY);
}

// Averaging a large region on every move would lag behind the pointer: its
// preview comes from reduced copies, close to the result and many times
// quicker, and the click makes the result itself.
void Form1::PreviewRegion(RegionShown shown) {
  if (!reducedCopies_ || reducedCopies_->Picture() != shown.picture) {
    reducedCopies_ = std::make_unique<ReducedCopies>(shown.picture);
  }
  gdi::MemorySurface preview(shown.width, shown.height);
  if (reducedCopies_->Fill(shown.region, MutableRowsOf(preview.Image()))) {
    gdi::BitBlt(picDestBuffer->hDC(), 0, 0, shown.width, shown.height, preview.hDC(), 0, 0, gdi::SRCCOPY);
    roughPreview_ = std::move(shown);
    return;
  }
  roughPreview_.reset();
  BufferRegion(shown);
}

void Form1::BufferRegion(const RegionShown& shown) {
  const gdi::Rect& r = shown.region;
  auto result =
      RegionScaler::ScaleRegion(*shown.picture, {r.left, r.top}, {false, r.right - r.left, r.bottom - r.top},
                                shown.width, shown.height);
  gdi::BitBlt(picDestBuffer->hDC(), 0, 0, shown.width, shown.height, result->hDC(), 0, 0, gdi::SRCCOPY);
}

void Form1::SharpenPreview() {
  if (!roughPreview_) return;
  BufferRegion(*roughPreview_);
  roughPreview_.reset();
}

RegionSize Form1::SelectionRegion(int32_t width, int32_t height) const {
  auto picture = LoadedPictureSize();
  if (regionFits_ && picture && picture->first > 0 && picture->second > 0) {
    return RegionScaler::Largest(picture->first, picture->second, width, height);
  }
  return {false, static_cast<int32_t>(int64_t{width} * regionEighths_ / kEighths),
          static_cast<int32_t>(int64_t{height} * regionEighths_ / kEighths)};
}

void Form1::GrowSelection(int change) {
  if (!bSelecting) return;
  auto size = SelectionSize();
  if (!size) return;
  // Steps go on from a fitted frame's own size.
  const int32_t current = regionFits_
                              ? SelectionRegion(size->first, size->second).width * kEighths / size->first
                              : regionEighths_;
  const int32_t eighths = change == 0 ? kEighths : std::max(kEighths, current + change);
  const int64_t width = int64_t{size->first} * eighths / kEighths;
  const int64_t height = int64_t{size->second} * eighths / kEighths;
  if (!ResultLimits::Fits(width, height)) return;
  regionEighths_ = eighths;
  regionFits_ = false;
  NudgeSelection(0, 0);
}

void Form1::FitSelection() {
  auto picture = LoadedPictureSize();
  auto size = SelectionSize();
  if (!bSelecting || !picture || !size || picture->first < 1 || picture->second < 1) return;
  // Said once, on the key: every later move would meet it again.
  const RegionSize whole = RegionScaler::Largest(picture->first, picture->second, size->first, size->second);
  PictureResizer::CheckBlendable(whole.width, whole.height, size->first, size->second);
  regionFits_ = true;
  MoveSelection(picture->first / 2, picture->second / 2);
}

void Form1::picSource_Click() {
  if (!bSelecting) return;
  LeaveSelectionMode();
  try {
    FixSelection();
  } catch (...) {
    // Selection mode is over either way, so the button to start another comes back.
    Command3->setEnabled(true);
    throw;
  }
}

void Form1::CancelSelection() {
  if (!bSelecting) return;
  LeaveSelectionMode();
  roughPreview_.reset();
  Command3->setEnabled(true);
  WipeAllFrames();
  RestoreResultBefore();
  FitWindow();
}

void Form1::NudgeSelection(int32_t dx, int32_t dy) {
  if (!bSelecting) return;
  auto from = selectionCentre_ ? selectionCentre_ : PointerOverPicture();
  if (!from) {
    auto picture = LoadedPictureSize();
    if (!picture) return;
    from = {picture->first / 2, picture->second / 2};
  }
  MoveSelection(checked::Add(from->first, dx), checked::Add(from->second, dy));
  // A frame steered off the view takes the view along.
  auto size = SelectionSize();
  if (selectionCentre_ && size) {
    const RegionSize region = SelectionRegion(size->first, size->second);
    picSource->KeepInSight(QRect(selectionCentre_->first - region.width / 2,
                                 selectionCentre_->second - region.height / 2, region.width, region.height));
  }
}

void Form1::LeaveSelectionMode() {
  bSelecting = false;
  ++selectionEvents_;
  selectionPointer_.reset();
  selectionCentre_.reset();
  reducedCopies_.reset();
  ShowSelectionHint(false);
}

std::optional<std::pair<int32_t, int32_t>> Form1::PointerOverPicture() const {
  const QPoint at = picSource->mapFromGlobal(QCursor::pos());
  if (!picSource->Viewport().contains(at)) return std::nullopt;
  const QPointF pixel = picSource->PictureAt(at);
  return std::make_pair(convert::RoundToInt32(pixel.x()), convert::RoundToInt32(pixel.y()));
}

void Form1::ShowSelectionHint(bool shown) {
  setWindowTitle(QString::fromUtf8(kTitle) + (shown ? QString::fromUtf8(kSelectionHint) : QString()));
}

// A blank result is kept as nothing: after a load it has the picture's size,
// and a copy of its background could be hundreds of megabytes.
void Form1::KeepResultBefore() {
  resultBefore_ = ResultBefore{picDest->Width(), picDest->Height(), picDest->AutoRedraw(),
                               picDest->Blank() ? nullptr : picDest->Image().ShareCopy()};
}

void Form1::RestoreResultBefore() {
  if (!resultBefore_) return;
  ResultBefore before = std::move(*resultBefore_);
  resultBefore_.reset();
  picDest->SetWidth(before.width);
  picDest->SetHeight(before.height);
  if (before.image) {
    gdi::HDC memory = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ previous = gdi::SelectObject(memory, before.image.get());
    gdi::BitBlt(picDest->hDC(), 0, 0, before.image->Width(), before.image->Height(), memory, 0, 0,
                gdi::SRCCOPY);
    gdi::SelectObject(memory, previous);
    gdi::DeleteDC(memory);
  } else {
    picDest->SetBackColor(picDest->BackColor());
  }
  picDest->SetAutoRedraw(before.autoRedraw);
  picDest->Refresh();
}

void Form1::FixSelection() {
  resultBefore_.reset();
  SharpenPreview();
  WipeAllFrames();
  picDest->SetAutoRedraw(true);
  int32_t width = convert::RoundToInt32(picDest->ScaleWidth());
  int32_t height = convert::RoundToInt32(picDest->ScaleHeight());
  gdi::BitBlt(picDest->hDC(), 0, 0, width, height, picDestBuffer->hDC(), 0, 0, gdi::SRCCOPY);
  picDest->Refresh();
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  cDIB->Create(width, height);
  cDIB->LoadPictureBlt(picDest->hDC(), 0, 0, width, height, gdi::SRCCOPY);
  picDest->Refresh();
  Command3->setEnabled(true);
  cmdSave->setEnabled(true);
}

void Form1::DrawRectangle(platform::PictureBox& picIn, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          gdi::COLORREF lColor) {
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, lColor);
  gdi::HDC dc = picIn.hDC();
  gdi::HGDIOBJ previous = gdi::SelectObject(dc, pen);
  gdi::Rectangle(dc, x1, y1, x2, y2);
  gdi::SelectObject(dc, previous);
  gdi::DeleteObject(pen);
  platform::DoEvents();
}

std::optional<std::pair<int32_t, int32_t>> Form1::SelectionSize() const {
  auto width = WholeNumber(txtSelWidth->Text());
  auto height = WholeNumber(txtSelHeight->Text());
  if (!width || !height || !ResultLimits::Fits(*width, *height)) return std::nullopt;
  return std::make_pair(*width, *height);
}

std::optional<std::pair<int32_t, int32_t>> Form1::LoadedPictureSize() const {
  auto width = WholeNumber(Caption(*lblOrigWidth));
  auto height = WholeNumber(Caption(*lblOrigHeight));
  if (!width || !height) return std::nullopt;
  return std::make_pair(*width, *height);
}

void Form1::WipeAllFrames() {
  WipeFrames(
      {0, 0, convert::RoundToInt32(picBuffer->ScaleWidth()), convert::RoundToInt32(picBuffer->ScaleHeight())},
      true);
}

void Form1::WipeFrames(const gdi::Rect& bounds, bool lastWipe) {
  // In the middle of a load picBuffer still holds the old picture: nothing to wipe from yet.
  if (picBuffer->Picture() != picSource->Picture()) return;
  std::vector<gdi::Rect> notWiped;
  for (const gdi::Rect& frame : framesDrawn_) {
    for (const gdi::Rect& e : EdgesOf(frame, bounds)) {
      gdi::BitBlt(picSource->hDC(), e.left, e.top, e.right - e.left, e.bottom - e.top, picBuffer->hDC(),
                  e.left, e.top, gdi::SRCCOPY);
    }
    // Edges outside the bounds stay, as they would under a wipe of the bounds,
    // until a later wipe with larger bounds takes them. Edges off the surface
    // were never drawn: a frame at the picture's edge is wiped all the same,
    // or every move along the edge would leave one more frame to wipe.
    const gdi::Rect drawn{std::max(frame.left, 0), std::max(frame.top, 0),
                          std::min(frame.right, static_cast<int32_t>(picSource->ScaleWidth())),
                          std::min(frame.bottom, static_cast<int32_t>(picSource->ScaleHeight()))};
    bool inside = drawn.left >= bounds.left && drawn.top >= bounds.top && drawn.right <= bounds.right &&
                  drawn.bottom <= bounds.bottom;
    if (!lastWipe && !inside) notWiped.push_back(frame);
  }
  framesDrawn_.swap(notWiped);
}

// Products in floating point, kept in single precision as the box's size is.
void Form1::SetDestPixelSize(int32_t width, int32_t height) {
  picDest->SetWidth(static_cast<float>(platform::Screen::TwipsPerPixelX() * static_cast<double>(width)));
  picDest->SetHeight(static_cast<float>(platform::Screen::TwipsPerPixelY() * static_cast<double>(height)));
}

void Form1::Command2_Click() {
  auto picture = LoadedPictureSize();
  if (!picture || picture->first < 1 || picture->second < 1 || !picBuffer->Picture()) {
    Warn(kNoPictureToResize);
    return;
  }
  auto width = WholeNumber(txtWidth->Text());
  auto height = WholeNumber(txtHeight->Text());
  if (!width || !height) {
    Warn(kSizeNotWhole);
    return;
  }
  if (*width == picture->first && *height == picture->second) return;
  if (*width < 1 || *height < 1) {
    Warn(kSizeTooSmall);
    return;
  }
  std::unique_ptr<cDIBSection> resized;
  try {
    // From the whole clean picture, not from what a selection or an earlier
    // resize left on the surfaces.
    resized = PictureResizer::Resize(*picBuffer->Picture(), *width, *height);
  } catch (const std::exception& e) {
    Warn("The picture could not be resized to " + convert::ToText(*width) + " x " + convert::ToText(*height) +
         " pixels.\n" + ErrorWords::Of(e));
    return;
  }
  ShowResized(std::move(resized));
}

void Form1::ShowResized(std::unique_ptr<cDIBSection> resized) {
  cDIB = std::move(resized);
  picDest->SetAutoRedraw(true);
  SetDestPixelSize(cDIB->Width(), cDIB->Height());
  cDIB->PaintPicture(picDest->hDC(), 0, 0, -1, -1, 0, 0, gdi::SRCCOPY);
  picDest->Refresh();
  platform::DoEvents();
  FitWindow();
  cmdSave->setEnabled(true);
}

void Form1::txtHeight_Change() { KeepProportion(*txtHeight, *txtWidth, "txtHeight", true); }

void Form1::txtWidth_Change() { KeepProportion(*txtWidth, *txtHeight, "txtWidth", false); }

// Typing never brings up a message: a number the picture's size can't be
// scaled by (a side of 0, a product past 32 bits) leaves the other box alone.
void Form1::KeepProportion(const platform::TextBox& typed, platform::TextBox& other, const char* marker,
                           bool heightTyped) {
  if (!chkKeepProportion->isChecked() || !typed.Tag().empty()) return;
  auto value = WholeNumber(typed.Text());
  auto picture = LoadedPictureSize();
  if (!value || !picture) return;
  const auto [width, height] = *picture;
  auto result = heightTyped ? PictureResizer::Proportional(width, *value, height)
                            : PictureResizer::Proportional(height, *value, width);
  if (!result) return;
  // The marker keeps the other box's own handler from rescaling this one in turn.
  other.SetTag(marker);
  other.SetText(convert::ToText(*result));
  other.SetTag("");
}

void Form1::Command4_Click() {
  txtSelWidth->SetText(txtPhoneResX->Text());
  txtSelHeight->SetText(txtPhoneResY->Text());
}

void Form1::Command6_Click() {
  OpenSaveDLG dialog;
  dialog.SetDialogTitle("Save-Filename");
  dialog.SetFilter(std::string(kTargaFilter, sizeof kTargaFilter - 1));
  if (!saveFolder_.empty()) dialog.SetInitDir(saveFolder_);
  std::string fileName;
  for (;;) {
    dialog.Show(1);
    const std::string chosen = dialog.ReturnPath();
    if (chosen.empty()) return;
    // The extension is added after the dialog, so the dialog can't ask about the file it names.
    fileName = PictureWriter::WithTargaExtension(chosen);
    if (platform::ReplaceQuestion::Allows(fileName)) break;
    // No goes back to the dialog, showing the name chosen.
    dialog.SetFileName(chosen);
  }
  saveFolder_ = FolderOf(fileName);
  SaveOrReport(fileName, [&] {
    SaveTGA().SaveTGAinFile(fileName, *picDest, false);
    return true;
  });
}

void Form1::cmdSave_Click() {
  std::string fileName;
  std::string fileTitle;
  std::string filter = kJpegFilter;
  int32_t filterIndex = 1;
  int32_t flags = 0;
  if (!mCommonDialog::ShowSaveDialog(fileName, fileTitle, true, filter, filterIndex, saveFolder_, "", "JPG",
                                     platform::WindowHandles::HandleOf(this), flags)) {
    return;
  }
  saveFolder_ = FolderOf(fileName);
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  if (auto budget = MaxJpegBytes()) {
    SaveOrReport(fileName, [&] {
      txtQuality->SetText(convert::ToText(JpegBudget::Save(*cDIB, fileName, *budget).quality));
      return true;
    });
    return;
  }
  const int32_t quality = GetJPEGQuality();
  SaveOrReport(fileName, [&] { return mIntelJPEGLibrary::SaveJPEGinFile(*cDIB, fileName, quality); });
}

std::optional<int64_t> Form1::MaxJpegBytes() {
  if (txtMaxSize->Text().empty()) return std::nullopt;
  auto kilobytes = WholeNumber(txtMaxSize->Text());
  if (kilobytes && *kilobytes >= 1) return int64_t{*kilobytes} * 1024;
  txtMaxSize->SetText("");
  return std::nullopt;
}

int32_t Form1::GetJPEGQuality() {
  if (auto quality = WholeNumber(txtQuality->Text())) return *quality;
  txtQuality->SetText(convert::ToText(kDefaultJpegQuality));
  return kDefaultJpegQuality;
}
