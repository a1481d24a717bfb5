#include "app/Form1.h"

#include <QCloseEvent>

#include "app/AppResources.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Convert.h"
#include "platform/base/MessageBox.h"
#include "platform/ui/ControlFactory.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Settings.h"
#include "platform/ui/Twips.h"

using platform::ControlFactory;
using platform::HandlerGuard;
using platform::Twips;

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kPhoneResX = "PhoneResX";
constexpr const char* kPhoneResY = "PhoneResY";

constexpr gdi::COLORREF kEtchShadow = gdi::RGB(128, 128, 128);
constexpr gdi::COLORREF kEtchLight = gdi::RGB(255, 255, 255);

// Reads a setting, storing the default first when it reads as empty text.
std::string SettingOrDefault(const char* key, const char* fallback) {
  const std::string& app = platform::AppInfo::Title();
  if (platform::GetSetting(app, kSection, key).empty()) platform::SaveSetting(app, kSection, key, fallback);
  return platform::GetSetting(app, kSection, key);
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
