#include "app/JpegOptionsDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QVBoxLayout>

#include "core/ErrorWords.h"
#include "formats/jpeg/JpegBudget.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "platform/ui/BusyCursor.h"
#include "platform/ui/HandlerGuard.h"

JpegOptionsDialog::JpegOptionsDialog(cDIBSection& result, int32_t quality,
                                     std::optional<int32_t> maxKilobytes, QWidget* parent)
    : QDialog(parent),
      spnQuality(new QSpinBox(this)),
      txtMaxSize(new QLineEdit(this)),
      lblFileSize(new QLabel(this)),
      cmdSave(new QPushButton(QStringLiteral("&Save"), this)),
      result_(result) {
  setWindowTitle(QStringLiteral("Save as JPEG"));
  spnQuality->setRange(1, 100);
  spnQuality->setValue(std::clamp(quality, 1, 100));
  txtMaxSize->setValidator(new QIntValidator(1, 1 << 21, txtMaxSize));
  txtMaxSize->setPlaceholderText(QStringLiteral("no limit"));
  if (maxKilobytes) txtMaxSize->setText(QString::number(*maxKilobytes));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("JPEG &Quality"), spnQuality);
  form->addRow(QStringLiteral("&Max. size (KB)"), txtMaxSize);
  form->addRow(QStringLiteral("File size"), lblFileSize);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdSave->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdSave);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  connect(cmdSave, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(spnQuality, &QSpinBox::valueChanged, this, platform::HandlerGuard::Wrap([this] { Measure(); }));
  connect(txtMaxSize, &QLineEdit::textChanged, this, platform::HandlerGuard::Wrap([this] { Measure(); }));
  Measure();
}

std::optional<int32_t> JpegOptionsDialog::MaxKilobytes() const {
  bool ok = false;
  const int kilobytes = txtMaxSize->text().toInt(&ok);
  return ok && kilobytes >= 1 ? std::optional<int32_t>(kilobytes) : std::nullopt;
}

void JpegOptionsDialog::Measure() {
  const platform::BusyCursor busy;
  bytes_.clear();
  QString shown;
  try {
    if (auto limit = MaxKilobytes()) {
      BudgetedJpeg fitted = JpegBudget::Fit(result_, int64_t{*limit} * 1024);
      chosenQuality_ = fitted.quality;
      bytes_ = std::move(fitted.bytes);
    } else {
      chosenQuality_ = spnQuality->value();
      bytes_ = mIntelJPEGLibrary::EncodeJPEG(result_, chosenQuality_);
    }
    const auto size = static_cast<qint64>(bytes_.size());
    shown = QStringLiteral("%1 bytes (%2 KB) at quality %3")
                .arg(size)
                .arg(static_cast<double>(size) / 1024.0, 0, 'f', 1)
                .arg(chosenQuality_);
  } catch (const std::exception& e) {
    bytes_.clear();
    shown = QString::fromStdString(ErrorWords::Of(e));
  }
  // The limit decides the quality while it is set.
  spnQuality->setEnabled(!MaxKilobytes());
  lblFileSize->setText(shown);
  cmdSave->setEnabled(!bytes_.empty());
}
