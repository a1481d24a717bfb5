#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <cstdint>
#include <optional>
#include <vector>

class cDIBSection;

// The JPEG step of Save As: the quality and a size limit together, and the
// size of the file that choice makes, encoded before anything is written.
// The bytes shown are the bytes written.
class JpegOptionsDialog final : public QDialog {
  Q_OBJECT

 public:
  // maxKilobytes: none for no limit.
  JpegOptionsDialog(cDIBSection& result, int32_t quality, std::optional<int32_t> maxKilobytes,
                    QWidget* parent = nullptr);

  QSpinBox* spnQuality;
  QLineEdit* txtMaxSize;  // "Max. size (KB)": empty for none
  QLabel* lblFileSize;
  QPushButton* cmdSave;

  // The file the choice makes; empty while no choice can be written.
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  // The quality the file is at: the one typed, or the one the limit chose.
  int32_t ChosenQuality() const { return chosenQuality_; }
  std::optional<int32_t> MaxKilobytes() const;

 private:
  // Encodes again for the choice now shown.
  void Measure();

  cDIBSection& result_;
  std::vector<uint8_t> bytes_;
  int32_t chosenQuality_ = 0;
};
