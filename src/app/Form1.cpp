#include "app/Form1.h"

#include <QCloseEvent>
#include <filesystem>

#include "app/AppResources.h"
#include "app/ClipboardCommands.h"
#include "app/HelpPlacement.h"
#include "app/MainMenu.h"
#include "app/MapMakerCommands.h"
#include "app/PictureLayout.h"
#include "app/PictureLoading.h"
#include "app/ResultSaves.h"
#include "app/SelectionKeys.h"
#include "app/SelectionTool.h"
#include "app/WholeNumber.h"
#include "app/WindowBars.h"
#include "core/ErrorWords.h"
#include "core/PictureResizer.h"
#include "core/ResultLimits.h"
#include "dialogs/mCommonDialog.h"
#include "formats/FormatTable.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Convert.h"
#include "platform/base/MessageBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/Events.h"
#include "platform/ui/FileNameBytes.h"
#include "platform/ui/HandlerGuard.h"
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

constexpr size_t kDialogNameLimit = 260;

constexpr const char* kOpenFailed = "There was a problem attempting to open this file";

const formats::FileFormat& kJpeg = formats::FormatTable::Of(formats::FileKind::Jpeg);
constexpr const char* kNoFileToReload = "This picture came from the clipboard: there is no file to reload.";

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

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent), client_(new QWidget(this)), loading_(std::make_unique<PictureLoading>()) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setWindowIcon(AppResources::Icon());
  setFont(AppResources::WindowFont());
  bars_ = std::make_unique<WindowBars>(*this, *client_);
  menu_ = new MainMenu(*this, bars_->MenuBar());
  lblStatus = bars_->StatusLine();
  Twips::SetClientSize(*client_, 7320, 6015);
  resize(client_->width(), client_->height() + bars_->ExtraHeight());
  bars_->Place();
  CreateControls(client_);
  setMinimumSize(Twips::ToPixelsX(kMinWindowWidth),
                 Twips::ToPixelsY(kMinWindowHeight) + bars_->ExtraHeight());
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
float Form1::Height() const { return Twips::OuterHeight(*this) - bars_->ExtraHeightTwips(); }
void Form1::SetWidth(float width) { Twips::SetOuterWidth(*this, width); }
void Form1::SetHeight(float height) { Twips::SetOuterHeight(*this, height + bars_->ExtraHeightTwips()); }

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
  loading_->Abandon();
  HandlerGuard::Run([this] { Form_Unload(); });
}

void Form1::resizeEvent(QResizeEvent*) {
  HandlerGuard::Run([this] {
    bars_->Place();
    layout_->Arrange();
  });
}

void Form1::CreateRooms() {
  selection_ = std::make_unique<SelectionTool>(
      SelectionTool::Surfaces{*picSource, *picBuffer, *picDest, *picDestBuffer},
      SelectionTool::Hooks{[this] { FitWindow(); },
                           [this](bool selecting) {
                             state_.selecting = selecting;
                             mapMaker_->ShowSelectionHint(selecting);
                             UpdateActions();
                           },
                           [this](const gdi::Rect& f, gdi::COLORREF colour) {
                             DrawRectangle(*picSource, f.left, f.top, f.right, f.bottom, colour);
                           }});
  layout_ = std::make_unique<PictureLayout>(
      PictureLayout::Parts{*this, *client_, *picSource, *picDest, *cmdSave, *zoomBar,
                           [this] { bars_->Place(); }},
      [this] { return selection_->ResultSize().value_or(PixelSize{}).width; });
  layout_->Zoom().Connect(*this, *zoomBar);
  saves_ = std::make_unique<ResultSaves>(
      ResultSaves::Parts{*this, *picDest, cDIB, *lblFile, *txtQuality, *txtMaxSize});
  clipboard_ = std::make_unique<ClipboardCommands>(
      ClipboardCommands::Parts{[this] { return saves_->HasResult() && !selection_->Selecting(); }, cDIB,
                               [this](formats::PictureRegion picture, const std::string& name) {
                                 OpenPasted(std::move(picture), name);
                               }});
  SelectionTool& tool = *selection_;
  new SelectionKeys(this,
                    {[&tool] { return tool.Selecting(); }, [&tool] { tool.Cancel(); },
                     [&tool](int dx, int dy) { tool.Nudge(dx, dy); }, [this] { picSource_Click(); },
                     [&tool](int change) { tool.Grow(change); }, [&tool] { tool.FitWholePicture(); },
                     [this] { mapMaker_->ToggleGridSnap(); }, [this] { mapMaker_->ChooseGridSize(); },
                     [this] { mapMaker_->NextReduction(); }, [this] { mapMaker_->ToggleLinearLight(); }});
  mapMaker_ = std::make_unique<MapMakerCommands>(MapMakerCommands::Parts{
      *this, QString::fromUtf8(kTitle), tool, *txtSelWidth, *txtSelHeight, sFileName, pictureSize_,
      [this] { return Actions().makeSelection; }, [this] { picSource_Click(); }});
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
          HandlerGuard::Wrap([this](int, int, float x, float y) {
            bars_->ShowStatus(QPointF(x, y), *selection_,
                              state_.pictureLoaded ? std::optional(picSource->Zoom()) : std::nullopt);
          }));
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
  saves_->SetFolder(Setting(kSaveFolder));
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
  if (!saves_->Folder().empty()) StoreSetting(kSaveFolder, saves_->Folder());
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
  loading_->Begun(std::move(decoding));
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

void Form1::OpenPasted(formats::PictureRegion picture, std::string name) {
  loading_->Given(std::move(picture));
  if (!TryLoadFile(name)) return;
  sFileName.clear();
  pasted_ = true;
  // Refresh is there, to say there is no file behind the picture.
  state_.fileOpened = true;
  UpdateActions();
}

bool Form1::TryLoadFile(std::string& fileName) {
  return loading_->Try(fileName, [&] { return LoadFile(fileName); });
}

std::string Form1::LoadFile(std::string& fileName) {
  const platform::BusyCursor busy;
  // Decoding comes first and is the only step that fails on a bad file, so a
  // failure leaves everything as it was.
  formats::PictureRegion decoded = loading_->Decode(fileName);
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

void Form1::ZoomBy(int steps) { layout_->Zoom().By(steps, layout_->Zoom().Anchor()); }

void Form1::Command3_Click() { mapMaker_->BeginSelection(); }

void Form1::picSource_MouseMove(int, int, float X, float Y) {
  if (!selection_->Selecting()) return;
  selection_->MoveTo(convert::RoundToInt32(X), convert::RoundToInt32(Y));
}

void Form1::picSource_Click() {
  if (!selection_->Selecting()) return;
  const std::optional<gdi::Rect> region = selection_->Selection();
  const PixelSize size = selection_->Fix();
  if (region) mapMaker_->Fixed(*region, size);
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

void Form1::Command6_Click() { saves_->SaveTarga(); }

void Form1::cmdSave_Click() { saves_->SaveJpeg(); }

int32_t Form1::GetJPEGQuality() { return saves_->JpegQuality(); }
