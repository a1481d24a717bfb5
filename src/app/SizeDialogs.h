#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QSpinBox>
#include <cstdint>
#include <optional>
#include <utility>

// Width and height in pixels, typed once: a size of the user's own, or the phone's screen.
class SizeDialog final : public QDialog {
  Q_OBJECT

 public:
  SizeDialog(const QString& title, int32_t width, int32_t height, QWidget* parent = nullptr);

  QSpinBox* spnWidth;
  QSpinBox* spnHeight;
};

// "Resize Image": the new width and height, and "Keep proportions", which
// sets either side from the other at the picture's aspect ratio with the same
// arithmetic as the size boxes of the window.
class ResizeDialog final : public QDialog {
  Q_OBJECT

 public:
  ResizeDialog(int32_t pictureWidth, int32_t pictureHeight, bool keepProportions, QWidget* parent = nullptr);

  QSpinBox* spnWidth;
  QSpinBox* spnHeight;
  QCheckBox* chkKeepProportion;

 private:
  void Follow(QSpinBox& typed, QSpinBox& other, bool heightTyped);

  int32_t pictureWidth_;
  int32_t pictureHeight_;
  bool following_ = false;
};

// For tests: runs with a dialog shown, instead of waiting for the user.
class DialogHook {
 public:
  static void Set(std::function<void(QDialog&)> hook);
  // Runs the hook, or the dialog itself; true when accepted.
  static bool Run(QDialog& dialog);
};
