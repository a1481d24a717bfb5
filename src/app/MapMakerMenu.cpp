#include "app/MapMakerMenu.h"

#include <QActionGroup>

#include "app/Form1.h"
#include "app/MapMakerCommands.h"
#include "platform/ui/HandlerGuard.h"

using platform::HandlerGuard;

namespace {

// The window steps through the reductions in turn; a choice from the menu is where that stepping stops.
void ReduceBy(MapMakerCommands& map, ReduceMethod method) {
  for (int i = 0; i < 3 && map.Aids().Reduce().method != method; ++i) map.NextReduction();
}

}  // namespace

MapMakerMenu::MapMakerMenu(Form1& form, QMenuBar* bar) : QObject(bar), form_(form) {
  mnuMap = bar->addMenu(QStringLiteral("Map &tools"));
  actSnap = Add(QStringLiteral("&Snap to grid\tG"), [this] { form_.MapMaker().ToggleGridSnap(); });
  actGridSize =
      Add(QStringLiteral("Grid si&ze\u2026\tShift+G"), [this] { form_.MapMaker().ChooseGridSize(); });
  mnuMap->addSeparator();
  actByArea = Add(QStringLiteral("Regions by &area average\tR"),
                  [this] { ReduceBy(form_.MapMaker(), ReduceMethod::Area); });
  actByMajority = Add(QStringLiteral("Regions by &majority colour\tR"),
                      [this] { ReduceBy(form_.MapMaker(), ReduceMethod::Majority); });
  actByNearest = Add(QStringLiteral("Regions by &nearest pixel\tR"),
                     [this] { ReduceBy(form_.MapMaker(), ReduceMethod::Nearest); });
  actLinear =
      Add(QStringLiteral("Average in &linear light\tL"), [this] { form_.MapMaker().ToggleLinearLight(); });
  mnuMap->addSeparator();
  actCopyCommand = Add(QStringLiteral("&Copy the crop as a command\tCtrl+Shift+C"),
                       [this] { form_.MapMaker().CopyCropCommand(); });
  actRepeat = Add(QStringLiteral("&Repeat the last crop\tCtrl+Shift+R"),
                  [this] { form_.MapMaker().RepeatLastCrop(); });
  actForget = Add(QStringLiteral("&Forget remembered frames\tCtrl+Shift+Del"),
                  [this] { form_.MapMaker().ForgetRememberedFrames(); });
  auto* methods = new QActionGroup(this);
  for (QAction* a : {actByArea, actByMajority, actByNearest}) methods->addAction(a);
  for (QAction* a : {actSnap, actByArea, actByMajority, actByNearest, actLinear}) a->setCheckable(true);
  // Only as it opens: the window makes its rooms after its menus.
  connect(mnuMap, &QMenu::aboutToShow, this, HandlerGuard::Wrap([this] { Refresh(); }));
}

QAction* MapMakerMenu::Add(const QString& text, std::function<void()> handler) {
  QAction* action = mnuMap->addAction(text);
  connect(action, &QAction::triggered, this, HandlerGuard::Wrap(std::move(handler)));
  return action;
}

void MapMakerMenu::Refresh() {
  MapMakerAids& aids = form_.MapMaker().Aids();
  actSnap->setChecked(aids.Snapping());
  actSnap->setText(aids.Snapping() ? QStringLiteral("&Snap to grid (%1 px)\tG").arg(aids.Grid().Cell())
                                   : QStringLiteral("&Snap to grid\tG"));
  const ReduceMethod method = aids.Reduce().method;
  actByArea->setChecked(method == ReduceMethod::Area);
  actByMajority->setChecked(method == ReduceMethod::Majority);
  actByNearest->setChecked(method == ReduceMethod::Nearest);
  actLinear->setChecked(aids.Reduce().linear);
  actCopyCommand->setEnabled(aids.LastFixed().has_value());
  actRepeat->setEnabled(aids.LastFixed().has_value() && form_.Actions().makeSelection && !form_.bSelecting());
  actForget->setEnabled(aids.Remembered() > 0);
}
