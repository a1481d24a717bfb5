#include "app/Form1Controls.h"

#include "platform/gdi/Gdi.h"
#include "platform/ui/ControlFactory.h"

using platform::ControlFactory;

namespace {

constexpr gdi::COLORREF kEtchShadow = gdi::RGB(128, 128, 128);
constexpr gdi::COLORREF kEtchLight = gdi::RGB(255, 255, 255);

}  // namespace

void Form1Controls::CreateControls(QWidget* window) {
  CreateOpenFrame(window);
  CreateSizeFrame(window);
  CreateCropAndSaveFrames(window);
  CreatePictureSurfaces(window);
  CreateManipulationFrame(window);
  CreatePhoneFrame(window);
  // In front of the JPEG save button and the two frames it covers, hiding them.
  Frame5->setAutoFillBackground(true);
  Frame5->raise();
  zoomBar = new ZoomBar(window);
  zoomBar->hide();
  picBuffer->hide();
  picDestBuffer->hide();
  lblOrigWidth->setAlignment(Qt::AlignRight | Qt::AlignTop);
  lblOrigHeight->setAlignment(Qt::AlignRight | Qt::AlignTop);
}

void Form1Controls::CreateOpenFrame(QWidget* window) {
  Frame2 = ControlFactory::Frame(window, "1)   Open Your Picture", 120, 120, 2775, 1935);
  lblFile = ControlFactory::Label(Frame2, "[file name]", 240, 300, 2235, 195);
  Command1 = ControlFactory::Button(Frame2, "&Open", 240, 600, 1035, 315);
  cmdReload = ControlFactory::Button(Frame2, "&Refresh", 1440, 600, 1035, 315);
  Label8 = ControlFactory::Label(Frame2, "Image Information:", 240, 1080, 1875, 195);
  Label10 = ControlFactory::Label(Frame2, "Width", 240, 1380, 855, 195);
  lblOrigWidth = ControlFactory::Label(Frame2, "-", 1560, 1380, 855, 195);
  Label11 = ControlFactory::Label(Frame2, "Height", 240, 1620, 855, 195);
  lblOrigHeight = ControlFactory::Label(Frame2, "-", 1560, 1620, 855, 195);
}

void Form1Controls::CreateSizeFrame(QWidget* window) {
  Frame5 = ControlFactory::Frame(window, "2)   Select Your Size", 120, 2160, 2775, 1095);
  Option1 = ControlFactory::Option(Frame5, "128 x 128", 240, 360, 1095, 255);
  Option2 = ControlFactory::Option(Frame5, "256 x 256", 240, 600, 1095, 255);
}

void Form1Controls::CreateCropAndSaveFrames(QWidget* window) {
  Frame6 = ControlFactory::Frame(window, "3)   Crop Your Picture", 120, 3360, 2775, 975);
  Command3 = ControlFactory::Button(Frame6, "&Make Your Selection", 480, 360, 1755, 375);
  Frame4 = ControlFactory::Frame(window, "4)   Save Your Picture And Exit", 120, 4440, 2775, 1455);
  Command6 = ControlFactory::Button(Frame4, "&Save", 240, 360, 1035, 375);
  Command5 = ControlFactory::Button(Frame4, "&Exit", 1560, 360, 1035, 375);
  Command7 = ControlFactory::Button(Frame4, "&Help", 240, 840, 1035, 375);
  Command8 = ControlFactory::Button(Frame4, "&About", 1560, 840, 1035, 375);
}

void Form1Controls::CreatePictureSurfaces(QWidget* window) {
  picSource = ControlFactory::Picture(window, 3000, 120, 1995, 555);
  picDest = ControlFactory::Picture(window, 5040, 120, 1995, 555);
  picBuffer = ControlFactory::Picture(window, 720, 1080, 555, 675);
  picDestBuffer = ControlFactory::Picture(window, 1440, 1200, 735, 555);
  for (platform::PictureBox* surface : {picSource, picDest, picBuffer, picDestBuffer}) {
    surface->SetScaleMode(gdi::vbPixels);
  }
  picSource->SetAutoSize(true);
  picBuffer->SetAutoSize(true);
  picSource->SetScrollable(true);
  cmdSave = ControlFactory::Button(window, "", 1800, 2640, 915, 375);
}

void Form1Controls::CreateManipulationFrame(QWidget* window) {
  Frame3 = ControlFactory::Frame(window, "Image Manipulation", 360, 2520, 615, 555);
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

void Form1Controls::CreatePhoneFrame(QWidget* window) {
  Frame1 = ControlFactory::Frame(window, "My Phone/PDA", 1320, 2640, 615, 435);
  Label3 = ControlFactory::Label(Frame1, "Screen Resolution:", 240, 300, 1515, 195);
  Label4 = ControlFactory::Label(Frame1, "Width", 240, 660, 435, 195);
  txtPhoneResX = ControlFactory::Text(Frame1, "128", 780, 600, 495, 285);
  Label5 = ControlFactory::Label(Frame1, "Height", 1380, 660, 495, 195);
  txtPhoneResY = ControlFactory::Text(Frame1, "128", 1920, 600, 495, 285);
}
