#pragma once

#include <QLabel>
#include <QScrollArea>
#include <QWidget>

#include "platform/ui/ImageControl.h"

// The help window: the help picture, closed by a click on it, by its close
// box, Esc or Ctrl+W; K turns to a page of the main window's keys and back.
// It deletes itself when closed.
class Form2 final : public QWidget {
  Q_OBJECT

 public:
  explicit Form2(QWidget* parent = nullptr);

  platform::ImageControl* Image1;
  // The link over the picture's empty foot that turns to the keys.
  QLabel* lblKeysLink;
  // The page of keys, over the picture while shown; longer than the window, so it scrolls.
  QScrollArea* scrKeys;
  QLabel* lblKeys;

  bool ShowingKeys() const;
  void ShowKeys(bool shown);

 private:
  void Image1_Click();
};
