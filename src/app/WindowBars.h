#pragma once

#include <QLabel>
#include <QMenuBar>
#include <QPointF>
#include <QWidget>
#include <optional>

class SelectionTool;

// The menu bar over the area the four frames and the pictures lay out in,
// and the status line under it: the pointer, the frame, the region and the
// zoom. The area keeps the frames' own sizes; the window is taller by the two.
class WindowBars {
 public:
  WindowBars(QWidget& window, QWidget& area);

  QMenuBar* MenuBar() const { return bar_; }
  QLabel* StatusLine() const { return status_; }
  // In pixels and in twips: the menu bar's and the status line's height.
  int ExtraHeight() const;
  float ExtraHeightTwips() const;
  // Puts the bar, the area and the status line where the window's size puts them.
  void Place();
  // `zoom` is the picture's, when one is loaded.
  void ShowStatus(std::optional<QPointF> pointer, const SelectionTool& selection, std::optional<double> zoom);

 private:
  QWidget& window_;
  QWidget& area_;
  QMenuBar* bar_;
  QLabel* status_;
};
