#include "app/SizeDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>
#include <functional>

#include "core/PictureResizer.h"
#include "core/ResultLimits.h"
#include "platform/ui/HandlerGuard.h"

namespace {

constexpr int kLargestSide = 65535;

QSpinBox* SideBox(QWidget* parent, int32_t value) {
  auto* box = new QSpinBox(parent);
  box->setRange(1, kLargestSide);
  box->setValue(value);
  box->setSuffix(QStringLiteral(" px"));
  return box;
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

std::function<void(QDialog&)>& Hook() {
  static std::function<void(QDialog&)> hook;
  return hook;
}

}  // namespace

SizeDialog::SizeDialog(const QString& title, int32_t width, int32_t height, QWidget* parent)
    : QDialog(parent), spnWidth(SideBox(this, width)), spnHeight(SideBox(this, height)) {
  setWindowTitle(title);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Width"), spnWidth);
  form->addRow(QStringLiteral("&Height"), spnHeight);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCancel(this));
}

ResizeDialog::ResizeDialog(int32_t pictureWidth, int32_t pictureHeight, bool keepProportions, QWidget* parent)
    : QDialog(parent),
      spnWidth(SideBox(this, pictureWidth)),
      spnHeight(SideBox(this, pictureHeight)),
      chkKeepProportion(new QCheckBox(QStringLiteral("&Keep proportions"), this)),
      pictureWidth_(pictureWidth),
      pictureHeight_(pictureHeight) {
  setWindowTitle(QStringLiteral("Resize Image"));
  chkKeepProportion->setChecked(keepProportions);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("New &Width"), spnWidth);
  form->addRow(QStringLiteral("New &Height"), spnHeight);
  form->addRow(QString(), chkKeepProportion);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCancel(this));
  connect(spnWidth, &QSpinBox::valueChanged, this,
          platform::HandlerGuard::Wrap([this] { Follow(*spnWidth, *spnHeight, false); }));
  connect(spnHeight, &QSpinBox::valueChanged, this,
          platform::HandlerGuard::Wrap([this] { Follow(*spnHeight, *spnWidth, true); }));
}

void ResizeDialog::Follow(QSpinBox& typed, QSpinBox& other, bool heightTyped) {
  if (!chkKeepProportion->isChecked() || following_) return;
  auto value = heightTyped ? PictureResizer::Proportional(pictureWidth_, typed.value(), pictureHeight_)
                           : PictureResizer::Proportional(pictureHeight_, typed.value(), pictureWidth_);
  if (!value || *value < 1) return;
  following_ = true;
  other.setValue(*value);
  following_ = false;
}

void DialogHook::Set(std::function<void(QDialog&)> hook) { Hook() = std::move(hook); }

bool DialogHook::Run(QDialog& dialog) {
  if (Hook()) {
    Hook()(dialog);
    return dialog.result() == QDialog::Accepted;
  }
  return dialog.exec() == QDialog::Accepted;
}
