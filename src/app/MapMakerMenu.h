#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <functional>

class Form1;

// The map maker's commands where a new user looks for them: the grid, how a
// region is reduced, and the crop as a command. The keys stay the selection's
// and the window's own; the menu shows them beside their commands.
class MapMakerMenu final : public QObject {
  Q_OBJECT

 public:
  MapMakerMenu(Form1& form, QMenuBar* bar);

  QMenu* mnuMap;
  QAction* actSnap;
  QAction* actGridSize;
  QAction* actByArea;
  QAction* actByMajority;
  QAction* actByNearest;
  QAction* actLinear;
  QAction* actCopyCommand;
  QAction* actRepeat;
  QAction* actForget;

 private:
  QAction* Add(const QString& text, std::function<void()> handler);
  // The checks and what can act now, as the menu opens.
  void Refresh();

  Form1& form_;
};
