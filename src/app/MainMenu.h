#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <string>
#include <vector>

#include "app/WindowActions.h"

class Form1;
class MapMakerMenu;

// The menu bar over the four frames: every command of the window, with the
// usual shortcuts, each enabled only when ActionsFor says it can act.
class MainMenu final : public QObject {
  Q_OBJECT

 public:
  MainMenu(Form1& form, QMenuBar* bar);

  QMenuBar* Bar() const { return bar_; }

  // File.
  QAction* actOpen;
  QAction* actRefresh;
  QAction* actSave;
  QAction* actSaveAs;
  QAction* actCopy;
  QAction* actPaste;
  QMenu* mnuRecent;
  QAction* actExit;
  // Size.
  QAction* act128;
  QAction* act256;
  QAction* actPhone;
  QAction* actPhoneEdit;
  QAction* actOtherSize;
  QMenu* mnuSize;
  QAction* actGrow;
  QAction* actShrink;
  QAction* actOneToOne;
  QAction* actWhole;
  // Picture.
  QAction* actMakeSelection;
  QAction* actResize;
  // View.
  QAction* actZoomIn;
  QAction* actZoomOut;
  QAction* actActualSize;
  QAction* actFit;
  // Help.
  QAction* actHelp;
  QAction* actAbout;
  // Map: the grid, the reductions and the crop as a command.
  MapMakerMenu* Map() const { return mapMenu_; }

  // Sets every command's state; the window calls it whenever its state may have changed.
  void Apply(const EnabledActions& can);
  // Remembers a picture opened from a file, most recent first.
  void RememberPicture(const std::string& path);
  // Sizes of the user's own, most recent first; kept in the settings.
  static std::vector<std::pair<int32_t, int32_t>> SizePresets();
  static void RememberSize(int32_t width, int32_t height);
  static std::vector<std::string> RecentPictures();
  static constexpr size_t kKept = 6;

 private:
  QAction* Add(QMenu* menu, const QString& text, const QKeySequence& key, std::function<void()> handler);
  void BuildFile();
  void BuildSize();
  void BuildPicture();
  void BuildView();
  void BuildHelp();
  void FillRecent();
  void FillPresets();
  void ChooseOtherSize();
  void EditPhoneSize();
  void Resize();

  Form1& form_;
  QMenuBar* bar_;
  QAction* presetsAfter_ = nullptr;
  std::vector<QAction*> presets_;
  MapMakerMenu* mapMenu_ = nullptr;
};
