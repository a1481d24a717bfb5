#include "app/MapMakerCommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QShortcut>
#include <utility>

#include "app/SelectionTool.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Checked.h"
#include "platform/base/MessageBox.h"
#include "platform/ui/HandlerGuard.h"

using platform::HandlerGuard;

namespace {

constexpr const char* kSelectionHint =
    " - move over the picture; click or Enter crops, Esc cancels, arrow keys nudge, ] and [ grow and "
    "shrink the frame, \\ back to 1:1, A frames the whole picture, G snaps to a grid, R and L choose "
    "how a region is reduced";

}  // namespace

MapMakerCommands::MapMakerCommands(Parts parts) : p_(std::move(parts)) {
  ApplyMapChoices();
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { CopyCropCommand(); }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { RepeatLastCrop(); }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete), [this] { ForgetRememberedFrames(); }},
  };
  for (const auto& [key, action] : keys) {
    QObject::connect(new QShortcut(key, &p_.window), &QShortcut::activated, &p_.window,
                     HandlerGuard::Wrap(action));
  }
}

void MapMakerCommands::BeginSelection() {
  std::optional<FixedCrop> start;
  const std::optional<PixelSize>& picture = p_.pictureSize;
  if (picture && !p_.fileName.empty() && frameRestoredFor_ != p_.fileName) {
    frameRestoredFor_ = p_.fileName;
    start = aids_.RememberedFor(p_.fileName, picture->width, picture->height);
  }
  BeginAt(start);
}

bool MapMakerCommands::BeginAt(const std::optional<FixedCrop>& crop) {
  if (crop) {
    p_.selWidth.SetText(std::to_string(crop->width));
    p_.selHeight.SetText(std::to_string(crop->height));
    aids_.SetReduction(crop->reduction);
    ApplyMapChoices();
  }
  if (!p_.selection.Begin()) return false;
  if (crop) {
    p_.selection.PlaceRegion({crop->left, crop->top, checked::Add(crop->left, crop->regionWidth),
                              checked::Add(crop->top, crop->regionHeight)});
  }
  return true;
}

void MapMakerCommands::Fixed(const gdi::Rect& region, PixelSize size) {
  if (!p_.pictureSize) return;
  aids_.Fixed({p_.fileName, size.width, size.height, region.right - region.left, region.bottom - region.top,
               region.left, region.top, p_.selection.Reduce()},
              p_.pictureSize->width, p_.pictureSize->height);
}

void MapMakerCommands::ShowSelectionHint(bool selecting) {
  p_.window.setWindowTitle(p_.title + (selecting ? QString::fromUtf8(kSelectionHint) : QString()));
  // The grid's and the reduction's state from the start, not only once a key changed them.
  ShowMapHint();
}

void MapMakerCommands::ApplyMapChoices() {
  p_.selection.SetGrid(aids_.Snapping() ? std::optional(aids_.Grid()) : std::nullopt);
  p_.selection.SetReduction(aids_.Reduce());
  p_.selection.Nudge(0, 0);
  ShowMapHint();
}

void MapMakerCommands::ToggleGridSnap() {
  aids_.ToggleSnapping();
  ApplyMapChoices();
}

void MapMakerCommands::ChooseGridSize() {
  QStringList sizes;
  for (int32_t cell : GridSnap::kOffered) sizes << QString::number(cell);
  const QString current = QString::number(aids_.Grid().Cell());
  if (!sizes.contains(current)) sizes.prepend(current);
  bool ok = false;
  const QString chosen = QInputDialog::getItem(&p_.window, QString::fromStdString(platform::AppInfo::Title()),
                                               QStringLiteral("Grid cell in picture pixels (2 to 4096):"),
                                               sizes, static_cast<int>(sizes.indexOf(current)), true, &ok);
  if (!ok) return;
  const int32_t cell = GridSnap::Parse(chosen.trimmed().toStdString());
  if (cell == 0) {
    platform::MessageBox::Show(
        "A grid cell is a whole number of pixels from 2 to 4096, not \"" + chosen.toStdString() + "\".",
        platform::MsgStyle::Exclamation, platform::AppInfo::Title());
    return;
  }
  aids_.SetGridSize(cell);
  if (!aids_.Snapping()) aids_.ToggleSnapping();
  ApplyMapChoices();
}

void MapMakerCommands::NextReduction() {
  aids_.NextMethod();
  ApplyMapChoices();
}

void MapMakerCommands::ToggleLinearLight() {
  aids_.ToggleLinear();
  ApplyMapChoices();
}

// During a selection the title says the choices the keys change.
void MapMakerCommands::ShowMapHint() {
  if (!p_.selection.Selecting()) return;
  const Reduction& reduction = aids_.Reduce();
  const std::string hint = std::string(" - grid ") +
                           (aids_.Snapping() ? std::to_string(aids_.Grid().Cell()) + " px" : "off") +
                           " (G), regions by " + std::string(Reduction::Name(reduction.method)) +
                           (reduction.linear ? " in linear light" : "") + " (R, L)" + kSelectionHint;
  p_.window.setWindowTitle(p_.title + QString::fromStdString(hint));
}

std::string MapMakerCommands::CropCommandLine() const {
  return aids_.LastFixed() ? CropCommand::For(*aids_.LastFixed()) : std::string();
}

void MapMakerCommands::CopyCropCommand() {
  const std::string command = CropCommandLine();
  if (!command.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(command));
}

// For a run of screenshots of one view: the same crop, fixed at once.
void MapMakerCommands::RepeatLastCrop() {
  const std::optional<FixedCrop> last = aids_.LastFixed();
  if (!last || !p_.pictureSize || !p_.canSelect() || p_.selection.Selecting()) return;
  frameRestoredFor_ = p_.fileName;
  if (BeginAt(last)) p_.fix();
}

void MapMakerCommands::ForgetRememberedFrames() { aids_.ForgetAll(); }
