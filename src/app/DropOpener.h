#pragma once

#include <QObject>
#include <optional>
#include <string>
#include <vector>

class Form1;
class QMimeData;

// Lets the main window open a picture file named from outside, as "&Open"
// would: dropped on it (anything else dropped is refused) or named on the
// command line.
class DropOpener final : public QObject {
  Q_OBJECT

 public:
  explicit DropOpener(Form1& window);

  // The picture file a drop carries: one local file that reads as a picture.
  static std::optional<std::string> PictureIn(const QMimeData& data);
  // The full path of the picture named after the program, if one is, as the
  // bytes given: a name that is not UTF-8 still names its file.
  static std::optional<std::string> PictureArgument(const std::vector<std::string>& arguments);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static bool LooksLikePicture(const std::string& path);

  Form1& window_;
  bool dragCarriesPicture_ = false;
};
