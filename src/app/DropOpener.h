#pragma once

#include <QObject>
#include <QStringList>
#include <optional>
#include <string>

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
  // The full path of the picture named after the program, if one is.
  static std::optional<std::string> PictureArgument(const QStringList& arguments);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Form1& window_;
};
