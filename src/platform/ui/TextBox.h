#pragma once

#include <QLineEdit>
#include <string>

namespace platform {

// A one-line text box with a free text tag. Setting the text raises
// textChanged before SetText returns, as the handlers expect.
class TextBox final : public QLineEdit {
  Q_OBJECT

 public:
  explicit TextBox(QWidget* parent = nullptr) : QLineEdit(parent) {}

  std::string Text() const { return text().toStdString(); }
  void SetText(const std::string& text) { setText(QString::fromStdString(text)); }

  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }

 private:
  std::string tag_;
};

}  // namespace platform
