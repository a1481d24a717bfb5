#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

// The keys and the right click that steer a selection, whichever control of
// the window has the focus: Esc or a right click cancels, an arrow nudges by
// one pixel (by a 16-pixel tile with Shift), Enter or Space fixes the crop.
// Only while `active` says so: otherwise every event goes on as usual.
class SelectionKeys final : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    std::function<bool()> active;
    std::function<void()> cancel;
    std::function<void(int dx, int dy)> nudge;
    std::function<void()> fix;
  };

  static constexpr int kTile = 16;

  SelectionKeys(QWidget* window, Handlers handlers);
  ~SelectionKeys() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InWindow(QObject* watched) const;
  bool KeyPressed(int key, Qt::KeyboardModifiers modifiers);

  QPointer<QWidget> window_;
  Handlers handlers_;
  // The context menu a cancelling right click brings next is not shown.
  bool swallowContextMenu_ = false;
};
