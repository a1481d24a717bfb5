#include "app/Form1.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenuBar>
#include <QShortcut>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/AppResources.h"
#include "app/HelpPlacement.h"
#include "app/MainMenu.h"
#include "app/PictureLayout.h"
#include "app/SaveAsDialog.h"
#include "app/SelectionKeys.h"
#include "app/SelectionTool.h"
#include "core/ErrorWords.h"
#include "core/MiniMapCommand.h"
#include "core/PictureResizer.h"
#include "core/PictureWriter.h"
#include "core/ResultLimits.h"
#include "dialogs/OpenSaveDLG.h"
#include "dialogs/mCommonDialog.h"
#include "formats/FormatTable.h"
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
#include "platform/ui/Events.h"
#include "platform/ui/FileNameBytes.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/QtClipboard.h"
#include "platform/ui/ReplaceQuestion.h"
#include "platform/ui/ScreenMetrics.h"
#include "platform/ui/Settings.h"
#include "platform/ui/Twips.h"
#include "platform/ui/WindowHandles.h"

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
    "shrink the frame, \\ back to 1:1, A frames the whole picture, G snaps to a grid, R and L choose "
    "how a region is reduced";

constexpr size_t kDialogNameLimit = 260;

constexpr const char* kOpenFailed = "There was a problem attempting to open this file";

constexpr const char* kAllFiles = "All Files (*.*)|*.*";
const formats::FileFormat& kJpeg = formats::FormatTable::Of(formats::FileKind::Jpeg);
constexpr const char* kSaveFailed = "Failed to save the picture to the file: '";
constexpr const char* kClipboardName = "Clipboard";
constexpr const char* kNoFileToReload = "This picture came from the clipboard: there is no file to reload.";
constexpr const char* kNoPictureOnClipboard = "The clipboard holds no picture.";
constexpr const char* kNothingToCopy =
    "There is nothing to copy yet.\nMake a selection and click the picture to crop it (or resize the "
    "picture) first.";
constexpr const char* kNothingToSave =
    "There is nothing to save yet.\nMake a selection and click the picture to crop it (or resize the "
    "picture) first.";

constexpr const char* kNoPictureToResize = "Open a picture before resizing it.";
constexpr const char* kSizeNotWhole = "Type the new width and height as whole numbers of pixels.";
constexpr const char* kSizeTooSmall = "The new width and height must be at least 1 pixel.";

// The narrowest window keeps the four frames whole, as FitWindow's own lower bound does.
constexpr float kMinWindowWidth = 1800.0f + 915.0f + 250.0f;
constexpr float kMinWindowHeight = 4440.0f + 1455.0f + 120.0f;

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

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), client_(new QWidget(this)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setWindowIcon(AppResources::Icon());
  setFont(AppResources::WindowFont());
  CreateMenuAndStatus();
  Twips::SetClientSize(*client_, 7320, 6015);
  resize(client_->width(), client_->height() + ExtraHeight());
  PlaceMenuAndStatus();
  CreateControls(client_);
  setMinimumSize(Twips::ToPixelsX(kMinWindowWidth), Twips::ToPixelsY(kMinWindowHeight) + ExtraHeight());
  CreateRooms();
  UpdateActions();
  ConnectHandlers();
  HandlerGuard::Run([this] { Form_Load(); });
}

Form1::~Form1() { delete form2_.data(); }

bool Form1::bSelecting() const { return selection_->Selecting(); }
gdi::COLORREF Form1::lRectColor() const { return selection_->FrameColour(); }

// The menu bar and the status line lie outside the four frames' window: its sizes
// are those of the window around the frames' area.
float Form1::Width() const { return Twips::OuterWidth(*this); }
float Form1::Height() const { return Twips::OuterHeight(*this) - ExtraHeightTwips(); }
void Form1::SetWidth(float width) { Twips::SetOuterWidth(*this, width); }
void Form1::SetHeight(float height) { Twips::SetOuterHeight(*this, height + ExtraHeightTwips()); }

int Form1::ExtraHeight() const { return menu_->Bar()->sizeHint().height() + lblStatus->sizeHint().height(); }

float Form1::ExtraHeightTwips() const {
  return static_cast<float>(ExtraHeight()) * platform::Screen::TwipsPerPixelY();
}

void Form1::CreateMenuAndStatus() {
  auto* bar = new QMenuBar(this);
  menu_ = new MainMenu(*this, bar);
  lblStatus = new QLabel(this);
  lblStatus->setContentsMargins(6, 2, 6, 2);
  lblStatus->setText(QStringLiteral(" "));
  // A long line is cut, never widening the window the frames' layout sizes.
  lblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  bar->setGeometry(0, 0, width(), bar->sizeHint().height());
}

void Form1::ZoomBy(int steps) { layout_->Zoom().By(steps, layout_->Zoom().Anchor()); }

// Where the pointer is in picture pixels, where the frame is and what it
// takes, and the zoom: one label's text, so a move costs one short string.
void Form1::ShowStatus(std::optional<QPointF> pointer) {
  QString text;
  if (pointer)
    text += QStringLiteral("%1, %2 px").arg(std::floor(pointer->x())).arg(std::floor(pointer->y()));
  const auto& frame = selection_->Selection();
  const auto& size = selection_->ResultSize();
  if (selection_->Selecting() && frame && size) {
    const RegionSize region = selection_->Region();
    text += QStringLiteral("   Frame at %1, %2, %3 x %4")
                .arg(frame->left)
                .arg(frame->top)
                .arg(region.width)
                .arg(region.height);
    if (region.width != size->width || region.height != size->height) {
      text += QStringLiteral(" to %1 x %2 (x%3)")
                  .arg(size->width)
                  .arg(size->height)
                  .arg(static_cast<double>(region.width) / size->width, 0, 'g', 3);
    }
  }
  if (state_.pictureLoaded) text += QStringLiteral("   Zoom %1 %").arg(std::lround(picSource->Zoom() * 100));
  lblStatus->setText(text.isEmpty() ? QStringLiteral(" ") : text.trimmed());
}
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

// Placed here, not by a layout, so the frames' area follows the window at
// once, shown or not, and the window's size stays FitWindow's to set.
void Form1::PlaceMenuAndStatus() {
  const int menuHeight = menu_->Bar()->sizeHint().height();
  const int statusHeight = lblStatus->sizeHint().height();
  menu_->Bar()->setGeometry(0, 0, width(), menuHeight);
  client_->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight - statusHeight));
  lblStatus->setGeometry(0, height() - statusHeight, width(), statusHeight);
}

void Form1::resizeEvent(QResizeEvent*) {
  HandlerGuard::Run([this] {
    PlaceMenuAndStatus();
    layout_->Arrange();
  });
}

void Form1::CreateRooms() {
  selection_ = std::make_unique<SelectionTool>(
      SelectionTool::Surfaces{*picSource, *picBuffer, *picDest, *picDestBuffer},
      SelectionTool::Hooks{[this] { FitWindow(); },
                           [this](bool selecting) {
                             state_.selecting = selecting;
                             setWindowTitle(QString::fromUtf8(kTitle) +
                                            (selecting ? QString::fromUtf8(kSelectionHint) : QString()));
                             ShowMapHint();
                             UpdateActions();
                           },
                           [this](const gdi::Rect& f, gdi::COLORREF colour) {
                             DrawRectangle(*picSource, f.left, f.top, f.right, f.bottom, colour);
                           }});
  layout_ = std::make_unique<PictureLayout>(
      PictureLayout::Parts{*this, *client_, *picSource, *picDest, *cmdSave, *zoomBar,
                           [this] { PlaceMenuAndStatus(); }},
      [this] { return selection_->ResultSize().value_or(PixelSize{}).width; });
  layout_->Zoom().Connect(*this, *zoomBar);
  SelectionTool& tool = *selection_;
  new SelectionKeys(this, {[&tool] { return tool.Selecting(); }, [&tool] { tool.Cancel(); },
                           [&tool](int dx, int dy) { tool.Nudge(dx, dy); }, [this] { picSource_Click(); },
                           [&tool](int change) { tool.Grow(change); }, [&tool] { tool.FitWholePicture(); },
                           [this] { ToggleGridSnap(); }, [this] { ChooseGridSize(); },
                           [this] { NextReduction(); }, [this] { ToggleLinearLight(); }});
  ApplyMapChoices();
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { CopyCropCommand(); }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { RepeatLastCrop(); }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete), [this] { ForgetRememberedFrames(); }},
  };
  for (const auto& [key, action] : keys) {
    connect(new QShortcut(key, this), &QShortcut::activated, this, HandlerGuard::Wrap(action));
  }
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
  picSource->SetFollowPointer([this] { return selection_->Selecting(); });
  // After the move's own handler, so the frame shown is the one just placed.
  connect(picSource, &platform::PictureBox::mouseMoved, this,
          HandlerGuard::Wrap([this](int, int, float x, float y) { ShowStatus(QPointF(x, y)); }));
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

// Read once, here: the tool keeps the size as a number from then on.
void Form1::SelectionSize_Change() {
  auto width = WholeNumber(txtSelWidth->Text());
  auto height = WholeNumber(txtSelHeight->Text());
  std::optional<PixelSize> size;
  if (width && height && ResultLimits::Fits(*width, *height)) size = PixelSize{*width, *height};
  ShowChosenSize(size);
  selection_->SetResultSize(size);
}

void Form1::ShowChosenSize(const std::optional<PixelSize>& size) {
  QRadioButton* shown = nullptr;
  if (size == PixelSize{128, 128}) shown = Option1;
  if (size == PixelSize{256, 256}) shown = Option2;
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
  if (!HelpWindow()) {
    form2_ = new Form2();
    // Beside the main window, whose controls the picture explains; its frame
    // is not known before it is shown, so it is taken to match this one's.
    const QSize frame = frameGeometry().size() - size();
    if (auto at = HelpPlacement::Beside(frameGeometry(), form2_->size() + frame,
                                        platform::ScreenMetrics::AvailableArea(*this))) {
      form2_->move(*at);
    }
  }
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
  std::string filter = formats::FormatTable::OpenFilter();
  int32_t filterIndex = 1;
  int32_t flags = 0;
  bool readOnly = false;
  bool chosen = mCommonDialog::ShowOpenDialog(
      sFileName, fileTitle, true, false, readOnly, false, filter, filterIndex, openFolder_, "",
      std::string(kJpeg.DialogExtension()), platform::WindowHandles::HandleOf(this), flags);
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
  state_.fileOpened = true;
  pasted_ = false;
  UpdateActions();
  openFolder_ = FolderOf(sFileName);
  menu_->RememberPicture(sFileName);
}

void Form1::cmdReload_Click() {
  if (pasted_) {
    Warn(kNoFileToReload);
    return;
  }
  if (!TryLoadFile(sFileName)) return;
  state_.resultMade = false;
  UpdateActions();
}

// The fixed result, not a preview under way: cDIB holds it once a click or a resize made it.
void Form1::CopyResult() {
  if (!HasResult() || selection_->Selecting() || !cDIB || cDIB->Width() < 1 || cDIB->Height() < 1) {
    Warn(kNothingToCopy);
    return;
  }
  if (!platform::QtClipboard::Put(*cDIB->hDib())) Warn("The result could not be put on the clipboard.");
}

// As if a file named "Clipboard" had been opened: the picture, its name and
// the layout, with no file behind it for Refresh.
void Form1::OpenFromClipboard() {
  std::unique_ptr<gdi::Bitmap> bitmap = platform::QtClipboard::Take();
  if (!bitmap) {
    Warn(kNoPictureOnClipboard);
    return;
  }
  formats::PictureRegion region;
  region.width = bitmap->Width();
  region.height = bitmap->Height();
  region.picture = std::make_shared<const gdi::Picture>(std::move(bitmap));
  std::promise<formats::PictureRegion> ready;
  ready.set_value(std::move(region));
  decoding_ = ready.get_future();
  std::string name = kClipboardName;
  if (!TryLoadFile(name)) return;
  sFileName.clear();
  pasted_ = true;
  // Refresh is there, to say there is no file behind the picture.
  state_.fileOpened = true;
  UpdateActions();
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
            ErrorWords::Explained(ErrorWords::Named(fileName, MiniMapCommand::Opening(fileName, e)), why),
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
  pictureSize_ = PixelSize{picSource->Picture()->Width(), picSource->Picture()->Height()};
  SetCaption(*lblOrigWidth, convert::ToText(pictureSize_->width));
  SetCaption(*lblOrigHeight, convert::ToText(pictureSize_->height));
  selection_->PictureLoaded(*pictureSize_);
  picDest->SetPicture(nullptr);
  layout_->Zoom().StartAtActualSize();
  platform::DoEvents();
  picDest->Move(picSource->Left() + picSource->Width() + 120.0f, picDest->Top(), picSource->Width(),
                picSource->Height());
  FitWindow();
  layout_->ApplyZoomChoice();
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
  if (!picSource->Picture()->Empty()) state_.pictureLoaded = true;
  UpdateActions();
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

void Form1::FitWindow() { layout_->FitWindow(); }

void Form1::UpdateActions() {
  const EnabledActions actions = ActionsFor(state_);
  cmdReload->setEnabled(actions.refresh);
  Command3->setEnabled(actions.makeSelection);
  cmdSave->setEnabled(actions.saveJpeg);
  Frame3->setEnabled(actions.resize);
  menu_->Apply(actions);
}

void Form1::ZoomToActualSize() { layout_->Zoom().ToActualSize(); }

void Form1::ZoomToFit() { layout_->Zoom().ToFit(); }

// The first selection on a picture cut before starts where its last crop was.
void Form1::Command3_Click() {
  std::optional<FixedCrop> start;
  if (pictureSize_ && !sFileName.empty() && frameRestoredFor_ != sFileName) {
    frameRestoredFor_ = sFileName;
    start = aids_.RememberedFor(sFileName, pictureSize_->width, pictureSize_->height);
  }
  BeginAt(start);
}

bool Form1::BeginAt(const std::optional<FixedCrop>& crop) {
  if (crop) {
    txtSelWidth->SetText(std::to_string(crop->width));
    txtSelHeight->SetText(std::to_string(crop->height));
    aids_.SetReduction(crop->reduction);
    ApplyMapChoices();
  }
  if (!selection_->Begin()) return false;
  if (crop) {
    selection_->PlaceRegion({crop->left, crop->top, checked::Add(crop->left, crop->regionWidth),
                             checked::Add(crop->top, crop->regionHeight)});
  }
  return true;
}

void Form1::picSource_MouseMove(int, int, float X, float Y) {
  if (!selection_->Selecting()) return;
  selection_->MoveTo(convert::RoundToInt32(X), convert::RoundToInt32(Y));
}

void Form1::picSource_Click() {
  if (!selection_->Selecting()) return;
  const std::optional<gdi::Rect> region = selection_->Selection();
  const PixelSize size = selection_->Fix();
  if (region && pictureSize_) {
    aids_.Fixed({sFileName, size.width, size.height, region->right - region->left,
                 region->bottom - region->top, region->left, region->top, selection_->Reduce()},
                pictureSize_->width, pictureSize_->height);
  }
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  cDIB->Create(size.width, size.height);
  cDIB->LoadPictureBlt(picDest->hDC(), 0, 0, size.width, size.height, gdi::SRCCOPY);
  picDest->Refresh();
  state_.resultMade = true;
  UpdateActions();
}

void Form1::DrawRectangle(platform::PictureBox& picIn, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                          gdi::COLORREF lColor) {
  SelectionTool::DrawOutline(picIn, {x1, y1, x2, y2}, lColor);
  platform::DoEvents();
}

void Form1::Command2_Click() {
  const auto& picture = pictureSize_;
  if (!picture || picture->width < 1 || picture->height < 1 || !picBuffer->Picture()) {
    Warn(kNoPictureToResize);
    return;
  }
  auto width = WholeNumber(txtWidth->Text());
  auto height = WholeNumber(txtHeight->Text());
  if (!width || !height) {
    Warn(kSizeNotWhole);
    return;
  }
  if (*width == picture->width && *height == picture->height) return;
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
  SelectionTool::SetPixelSize(*picDest, {cDIB->Width(), cDIB->Height()});
  cDIB->PaintPicture(picDest->hDC(), 0, 0, -1, -1, 0, 0, gdi::SRCCOPY);
  picDest->Refresh();
  platform::DoEvents();
  FitWindow();
  state_.resultMade = true;
  UpdateActions();
}

void Form1::txtHeight_Change() { KeepProportion(*txtHeight, *txtWidth, "txtHeight", true); }

void Form1::txtWidth_Change() { KeepProportion(*txtWidth, *txtHeight, "txtWidth", false); }

// Typing never brings up a message: a number the picture's size can't be
// scaled by (a side of 0, a product past 32 bits) leaves the other box alone.
void Form1::KeepProportion(const platform::TextBox& typed, platform::TextBox& other, const char* marker,
                           bool heightTyped) {
  if (!chkKeepProportion->isChecked() || !typed.Tag().empty()) return;
  auto value = WholeNumber(typed.Text());
  if (!value || !pictureSize_) return;
  const auto [width, height] = *pictureSize_;
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

bool Form1::HasResult() const { return !picDest->Blank(); }

// A blank result is the surface's background: written out it would pass for
// a crop, a light grey one as large as the picture.
bool Form1::ResultToSave() {
  if (HasResult()) return true;
  Warn(kNothingToSave);
  return false;
}

void Form1::SaveAs() {
  if (!ResultToSave() || !cDIB) return;
  const std::string shown = lblFile->text().toStdString();
  SaveAsDialog dialog(this, *cDIB, shown == "[file name]" ? "" : shown);
  SaveAsDialog::Choices choices{saveFolder_, GetJPEGQuality(), std::nullopt};
  if (auto limit = MaxJpegBytes()) choices.maxKilobytes = static_cast<int32_t>(*limit / 1024);
  if (!dialog.Run(choices)) return;
  saveFolder_ = choices.folder;
  txtQuality->SetText(convert::ToText(choices.quality));
  txtMaxSize->SetText(choices.maxKilobytes ? convert::ToText(*choices.maxKilobytes) : "");
}

void Form1::Command6_Click() {
  if (!ResultToSave()) return;
  OpenSaveDLG dialog;
  dialog.SetDialogTitle("Save-Filename");
  dialog.SetFilter(formats::FormatTable::SaveFilter(formats::FileKind::Targa, '\0'));
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
  std::string filter = formats::FormatTable::SaveFilter(formats::FileKind::Jpeg, '|') + kAllFiles;
  int32_t filterIndex = 1;
  int32_t flags = 0;
  if (!mCommonDialog::ShowSaveDialog(fileName, fileTitle, true, filter, filterIndex, saveFolder_, "",
                                     std::string(kJpeg.DialogExtension()),
                                     platform::WindowHandles::HandleOf(this), flags)) {
    return;
  }
  saveFolder_ = FolderOf(fileName);
  if (!cDIB) cDIB = std::make_unique<cDIBSection>();
  const std::optional<int64_t> budget =
      kJpeg.Takes(formats::WriteOption::ByteBudget) ? MaxJpegBytes() : std::nullopt;
  if (budget) {
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

void Form1::ApplyMapChoices() {
  selection_->SetGrid(aids_.Snapping() ? std::optional(aids_.Grid()) : std::nullopt);
  selection_->SetReduction(aids_.Reduce());
  selection_->Nudge(0, 0);
  ShowMapHint();
}

void Form1::ToggleGridSnap() {
  aids_.ToggleSnapping();
  ApplyMapChoices();
}

void Form1::ChooseGridSize() {
  QStringList sizes;
  for (int32_t cell : GridSnap::kOffered) sizes << QString::number(cell);
  const QString current = QString::number(aids_.Grid().Cell());
  if (!sizes.contains(current)) sizes.prepend(current);
  bool ok = false;
  const QString chosen = QInputDialog::getItem(this, QString::fromStdString(platform::AppInfo::Title()),
                                               QStringLiteral("Grid cell in picture pixels (2 to 4096):"),
                                               sizes, static_cast<int>(sizes.indexOf(current)), true, &ok);
  if (!ok) return;
  const int32_t cell = GridSnap::Parse(chosen.trimmed().toStdString());
  if (cell == 0) {
    platform::MessageBox::Show(
        "A grid cell is a whole number of pixels from 2 to 4096, not \"" + chosen.toStdString() + "\".",
        platform::MsgStyle::Exclamation, platform::AppInfo::Title());
    return;
  }
  aids_.SetGridSize(cell);
  if (!aids_.Snapping()) aids_.ToggleSnapping();
  ApplyMapChoices();
}

void Form1::NextReduction() {
  aids_.NextMethod();
  ApplyMapChoices();
}

void Form1::ToggleLinearLight() {
  aids_.ToggleLinear();
  ApplyMapChoices();
}

// During a selection the title says the choices the keys change.
void Form1::ShowMapHint() {
  if (!selection_->Selecting()) return;
  const Reduction& reduction = aids_.Reduce();
  const std::string hint = std::string(" - grid ") +
                           (aids_.Snapping() ? std::to_string(aids_.Grid().Cell()) + " px" : "off") +
                           " (G), regions by " + std::string(Reduction::Name(reduction.method)) +
                           (reduction.linear ? " in linear light" : "") + " (R, L)" + kSelectionHint;
  setWindowTitle(QString::fromUtf8(kTitle) + QString::fromStdString(hint));
}

std::string Form1::CropCommandLine() const {
  return aids_.LastFixed() ? CropCommand::For(*aids_.LastFixed()) : std::string();
}

void Form1::CopyCropCommand() {
  const std::string command = CropCommandLine();
  if (!command.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(command));
}

// For a run of screenshots of one view: the same crop, fixed at once.
void Form1::RepeatLastCrop() {
  const std::optional<FixedCrop> last = aids_.LastFixed();
  if (!last || !pictureSize_ || !Actions().makeSelection || selection_->Selecting()) return;
  frameRestoredFor_ = sFileName;
  if (BeginAt(last)) picSource_Click();
}

void Form1::ForgetRememberedFrames() { aids_.ForgetAll(); }
