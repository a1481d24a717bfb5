#include "app/Form1.h"

#include <QCloseEvent>
#include <algorithm>
#include <cctype>
#include <functional>
#include <new>

#include "app/AppResources.h"
#include "app/PictureResizer.h"
#include "app/SelectionGeometry.h"
#include "dialogs/OpenSaveDLG.h"
#include "dialogs/mCommonDialog.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Checked.h"
#include "platform/base/Convert.h"
#include "platform/base/MessageBox.h"
#include "platform/base/Screen.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/ControlFactory.h"
#include "platform/ui/Events.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/PictureDecoder.h"
#include "platform/ui/Settings.h"
#include "platform/ui/Twips.h"
#include "platform/ui/WindowHandles.h"
#include "writers/SaveTGA.h"
#include "writers/mIntelJPEGLibrary.h"

using platform::ControlFactory;
using platform::HandlerGuard;
using platform::Twips;

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kPhoneResX = "PhoneResX";
constexpr const char* kPhoneResY = "PhoneResY";

constexpr const char* kOpenFilter = "Images (*.JPG *.BMP *.GIF)|*.JPG;*.BMP;*.GIF|All Files (*.*)|*.*";
constexpr size_t kDialogNameLimit = 260;
constexpr int32_t kMaxSelectionSide = 32767;

constexpr const char* kOpenFailed = "There was a problem attempting to open this file";

constexpr char kTargaFilter[] = "Targa (*.tga)\0*.tga\0";
constexpr const char* kJpegFilter = "JPEG Files (*.JPG)|*.JPG|All Files (*.*)|*.*";
constexpr const char* kSaveFailed = "Failed to save the picture to the file: '";
constexpr int32_t kFallbackQuality = 90;

constexpr const char* kNoPictureToResize = "Open a picture before resizing it.";
constexpr const char* kSizeNotWhole = "Type the new width and height as whole numbers of pixels.";
constexpr const char* kSizeTooSmall = "The new width and height must be at least 1 pixel.";

constexpr gdi::COLORREF kWhite = 0x00FFFFFF;
constexpr gdi::COLORREF kBlack = 0;

constexpr gdi::COLORREF kEtchShadow = gdi::RGB(128, 128, 128);
constexpr gdi::COLORREF kEtchLight = gdi::RGB(255, 255, 255);

// Reads a setting, storing the default first when it reads as empty text.
std::string SettingOrDefault(const char* key, const char* fallback) {
  const std::string& app = platform::AppInfo::Title();
  if (platform::GetSetting(app, kSection, key).empty()) platform::SaveSetting(app, kSection, key, fallback);
  return platform::GetSetting(app, kSection, key);
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

std::string NumericOr(const platform::TextBox& box, const QLabel& fallback) {
  return convert::IsNumeric(box.Text()) ? box.Text() : Caption(fallback);
}

void Warn(const std::string& text) {
  platform::MessageBox::Show(text, platform::MsgStyle::Exclamation, platform::AppInfo::Title());
}

std::string ReasonOf(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) {
    return platform::StandardDescription(platform::ErrorNumber::OutOfMemory);
  }
  return e.what();
}

// ".tga" is added unless the name already ends in it, in any case.
std::string WithTargaExtension(const std::string& path) {
  std::string last = path.substr(path.size() - std::min<size_t>(path.size(), 4));
  std::transform(last.begin(), last.end(), last.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return last == ".tga" ? path : path + ".tga";
}

// A save that fails says so, naming the file; the writer's reason goes on a line of its own.
void SaveOrReport(const std::string& path, const std::function<bool()>& save) {
  std::string reason;
  try {
    if (save()) return;
  } catch (const std::exception& e) {
    reason = ReasonOf(e);
  }
  Warn(kSaveFailed + path + "'" + (reason.empty() ? "" : "\n" + reason));
}

// side x typed div otherSide, in checked 32-bit arithmetic; none on overflow or a side of 0.
std::optional<int32_t> Proportional(int32_t side, int32_t typed, int32_t otherSide) {
  try {
    return checked::Div(checked::Mul(side, typed), otherSide);
  } catch (const platform::AppError&) {
    return std::nullopt;
  }
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
  setWindowTitle(QStringLiteral("Quarvel"));
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
  SetInitialStates();
  ConnectHandlers();
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
  HandlerGuard::Run([this] { Form_Unload(); });
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
  cmdSave = ControlFactory::Button(this, "", 1800, 2640, 915, 375);
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
  connect(Option1, &QRadioButton::toggled, this, HandlerGuard::Wrap([this](bool on) {
            if (on) Option1_Click();
          }));
  connect(Option2, &QRadioButton::toggled, this, HandlerGuard::Wrap([this](bool on) {
            if (on) Option2_Click();
          }));
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
}

void Form1::Form_Load() {
  platform::AppInfo::SetTitle("Quarvel");
  // A store that can't be written is reported, and the window still starts as it should.
  HandlerGuard::Run([this] {
    txtPhoneResX->SetText(SettingOrDefault(kPhoneResX, "240"));
    txtPhoneResY->SetText(SettingOrDefault(kPhoneResY, "320"));
  });
  Option1->setChecked(true);
  txtPhoneResX->SetText("128");
  txtPhoneResY->SetText("128");
  txtSelWidth->SetText("128");
  txtSelHeight->SetText("128");
}

void Form1::Form_Unload() {
  if (!convert::IsNumeric(txtPhoneResY->Text()) || !convert::IsNumeric(txtPhoneResX->Text())) return;
  platform::SaveSetting(platform::AppInfo::Title(), kSection, kPhoneResX, txtPhoneResX->Text());
  platform::SaveSetting(platform::AppInfo::Title(), kSection, kPhoneResY, txtPhoneResY->Text());
}

void Form1::Option1_Click() {
  txtSelWidth->SetText("128");
  txtSelHeight->SetText("128");
}

void Form1::Option2_Click() {
  txtSelWidth->SetText("256");
  txtSelHeight->SetText("256");
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
                                    "", "", "JPG", platform::WindowHandles::HandleOf(this), flags);
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

void Form1::LoadChosenFile(const std::string& previous) {
  if (!TryLoadFile(sFileName)) {
    // The picture on screen is still the previous file's, and Refresh should load that one.
    sFileName = previous;
    return;
  }
  cmdReload->setEnabled(true);
}

void Form1::cmdReload_Click() {
  if (TryLoadFile(sFileName)) cmdSave->setEnabled(false);
}

bool Form1::TryLoadFile(std::string& fileName) {
  try {
    LoadFile(fileName);
    return true;
  } catch (const platform::AppError&) {
    platform::MessageBox::Show(kOpenFailed, platform::MsgStyle::Critical, platform::AppInfo::Title());
    return false;
  }
}

void Form1::LoadFile(std::string& fileName) {
  // Decoding comes first and is the only step that fails on a bad file, so a
  // failure leaves everything as it was.
  picSource->SetPicture(platform::LoadPicture(fileName));
  // The new picture is clean: no frame is left on it to wipe.
  framesDrawn_.clear();
  picDest->SetPicture(nullptr);
  platform::DoEvents();
  picDest->Move(picSource->Left() + picSource->Width() + 120.0f, picDest->Top(), picSource->Width(),
                picSource->Height());
  FitWindow();
  picBuffer->SetPicture(picSource->Picture());
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  cDIB->CreateFromPicture(*picSource->Picture());
  SetCaption(*lblOrigWidth, convert::ToText(cDIB->Width()));
  SetCaption(*lblOrigHeight, convert::ToText(cDIB->Height()));
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
  txtSelWidth->SetText(NumericOr(*txtPhoneResX, *lblOrigWidth));
  txtSelHeight->SetText(NumericOr(*txtPhoneResY, *lblOrigHeight));
  if (!picSource->Picture()->Empty()) Frame3->setEnabled(true);
  SetCaption(*lblFile, FileNameOf(fileName));
}

// Sums in single precision, as the window's geometry is kept.
void Form1::FitWindow() {
  if (WindowState() == 2) return;
  float h = picSource->Height() + picSource->Top() + 600.0f;
  if (h > Height()) SetHeight(h);
  SetWidth(picDest->Left() + picDest->Width() + 250.0f);
  float w = Twips::Left(*cmdSave) + Twips::Width(*cmdSave) + 250.0f;
  if (w > Width()) SetWidth(w);
}

void Form1::Command3_Click() {
  auto size = SelectionSize();
  if (!size) return;
  ++selectionEvents_;
  Command3->setEnabled(false);
  picDest->SetAutoRedraw(false);
  picSource->SetAutoRedraw(false);
  bSelecting = true;
  lRectColor = kWhite;
  SetDestPixelSize(size->first, size->second);
  picDestBuffer->SetWidth(picDest->Width());
  picDestBuffer->SetHeight(picDest->Height());
  // Where a block reaches outside the picture nothing is copied, so what
  // shows there is the surface's background, not an earlier selection.
  picDestBuffer->SetBackColor(picDestBuffer->BackColor());
  FitWindow();
}

void Form1::picSource_MouseMove(int, int, float X, float Y) {
  if (!bSelecting) return;
  auto size = SelectionSize();
  auto picture = LoadedPictureSize();
  if (!size || !picture) return;
  const auto [W, H] = *size;
  int32_t x = convert::RoundToInt32(X);
  int32_t y = convert::RoundToInt32(Y);
  int32_t top = SelectionGeometry::Start(y, H, picSource->ScaleHeight());
  int32_t left = SelectionGeometry::Start(x, W, picSource->ScaleWidth());
  lRectColor = lRectColor == kBlack ? kWhite : kBlack;
  const uint64_t thisMove = ++selectionEvents_;
  WipeFrames({0, 0, picture->first, picture->second}, false);
  gdi::Rect frame = SelectionGeometry::Frame(left, top, W, H);
  // Known before the drawing yields, so a move handled inside it wipes this frame too.
  framesDrawn_.push_back(frame);
  DrawRectangle(*picSource, frame.left, frame.top, frame.right, frame.bottom, lRectColor);
  // A later move or the click, handled while the frame was drawn, has had its
  // say: copying this block now would bring that frame into the result, or
  // change the result after the click fixed it.
  if (thisMove != selectionEvents_) return;
  gdi::BitBlt(picDestBuffer->hDC(), 0, 0, W, H, picSource->hDC(), left, top, gdi::SRCCOPY);
  gdi::BitBlt(picDest->hDC(), 0, 0, W, H, picDestBuffer->hDC(), 0, 0, gdi::SRCCOPY);
}

void Form1::picSource_Click() {
  if (!bSelecting) return;
  bSelecting = false;
  ++selectionEvents_;
  try {
    FixSelection();
  } catch (...) {
    // Selection mode is over either way, so the button to start another comes back.
    Command3->setEnabled(true);
    throw;
  }
}

void Form1::FixSelection() {
  WipeFrames(
      {0, 0, convert::RoundToInt32(picBuffer->ScaleWidth()), convert::RoundToInt32(picBuffer->ScaleHeight())},
      true);
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
  if (!width || !height || *width < 1 || *height < 1) return std::nullopt;
  // A crop larger than a picture may be or a Targa file can hold is no usable size.
  if (*width > kMaxSelectionSide || *height > kMaxSelectionSide ||
      static_cast<int64_t>(*width) * *height > platform::kMaxPicturePixels) {
    return std::nullopt;
  }
  return std::make_pair(*width, *height);
}

std::optional<std::pair<int32_t, int32_t>> Form1::LoadedPictureSize() const {
  auto width = WholeNumber(Caption(*lblOrigWidth));
  auto height = WholeNumber(Caption(*lblOrigHeight));
  if (!width || !height) return std::nullopt;
  return std::make_pair(*width, *height);
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
    // until a later wipe with larger bounds takes them.
    bool inside = frame.left >= bounds.left && frame.top >= bounds.top && frame.right <= bounds.right &&
                  frame.bottom <= bounds.bottom;
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
         " pixels.\n" + ReasonOf(e));
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
  auto result = heightTyped ? Proportional(width, *value, height) : Proportional(height, *value, width);
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
  dialog.Show(1);
  const std::string chosen = dialog.ReturnPath();
  if (chosen.empty()) return;
  const std::string fileName = WithTargaExtension(chosen);
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
  if (!mCommonDialog::ShowSaveDialog(fileName, fileTitle, true, filter, filterIndex, "", "", "JPG",
                                     platform::WindowHandles::HandleOf(this), flags)) {
    return;
  }
  const int32_t quality = GetJPEGQuality();
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  SaveOrReport(fileName, [&] { return mIntelJPEGLibrary::SaveJPEGinFile(*cDIB, fileName, quality); });
}

int32_t Form1::GetJPEGQuality() {
  if (auto quality = WholeNumber(txtQuality->Text())) return *quality;
  txtQuality->SetText(convert::ToText(kFallbackQuality));
  return kFallbackQuality;
}
