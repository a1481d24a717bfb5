#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

// The keys and the right click that steer a selection, whichever control of
// the window has the focus: Esc or a right click cancels, an arrow nudges by
// one pixel (by a 16-pixel tile with Shift), Enter or Space fixes the crop,
// ] and [ grow and shrink the frame by an eighth of the result's size, a
// backslash takes it back to that size and A fits it to the whole picture;
// G, Shift+G, R and L set the grid and the reduction.
// Only while `active` says so: otherwise every event goes on as usual.
class SelectionKeys final : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    std::function<bool()> active;
    std::function<void()> cancel;
    std::function<void(int dx, int dy)> nudge;
    std::function<void()> fix;
    // +1 or -1 eighth, or 0 for back to the result's size.
    std::function<void(int change)> grow;
    std::function<void()> fit;
    // G, Shift+G, R and L: the grid on or off, its cell size, the next
    // reduction of a region, linear light on or off.
    std::function<void()> grid = nullptr;
    std::function<void()> gridSize = nullptr;
    std::function<void()> reduce = nullptr;
    std::function<void()> linear = nullptr;
  };

  static constexpr int kTile = 16;

  SelectionKeys(QWidget* window, Handlers handlers);
  ~SelectionKeys() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InWindow(QObject* watched) const;
  bool KeyPressed(int key, Qt::KeyboardModifiers modifiers);
  // Runs `handler` when there is one; true when there was.
  static bool Offer(const std::function<void()>& handler);

  QPointer<QWidget> window_;
  Handlers handlers_;
  // The context menu a cancelling right click brings next is not shown.
  bool swallowContextMenu_ = false;
};
