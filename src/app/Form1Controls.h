#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "app/ZoomBar.h"
#include "platform/ui/LineShape.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

// The main window's controls, each with its caption, container, place and
// size in twips, as a designer file holds a form's: the window's handlers
// work with them, and this only makes them.
struct Form1Controls {
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

 protected:
  // Makes every control on `window`, in its initial state.
  void CreateControls(QWidget* window);

 private:
  void CreateOpenFrame(QWidget* window);
  void CreateSizeFrame(QWidget* window);
  void CreateCropAndSaveFrames(QWidget* window);
  void CreatePictureSurfaces(QWidget* window);
  void CreateManipulationFrame(QWidget* window);
  void CreatePhoneFrame(QWidget* window);
};
