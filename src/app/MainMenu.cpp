#include "app/MainMenu.h"

#include "app/ClipboardCommands.h"
#include "app/Form1.h"
#include "app/MapMakerMenu.h"
#include "app/ResultSaves.h"
#include "app/SelectionTool.h"
#include "app/SizeDialogs.h"
#include "platform/base/AppInfo.h"
#include "platform/base/Convert.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Settings.h"

using platform::HandlerGuard;

namespace {

constexpr const char* kSection = "Settings";

std::string Setting(const std::string& key) {
  return platform::GetSetting(platform::AppInfo::Title(), kSection, key);
}

void Store(const std::string& key, const std::string& value) {
  platform::SaveSetting(platform::AppInfo::Title(), kSection, key, value);
}

// "Recent1", "Recent2"...: one key a name, as names may hold any character.
std::vector<std::string> ReadList(const std::string& prefix) {
  std::vector<std::string> items;
  for (size_t i = 1; i <= MainMenu::kKept; ++i) {
    std::string item = Setting(prefix + std::to_string(i));
    if (!item.empty()) items.push_back(std::move(item));
  }
  return items;
}

void WriteFirst(const std::string& prefix, const std::string& first) {
  std::vector<std::string> items = ReadList(prefix);
  std::erase(items, first);
  items.insert(items.begin(), first);
  for (size_t i = 1; i <= MainMenu::kKept; ++i)
    Store(prefix + std::to_string(i), i <= items.size() ? items[i - 1] : "");
}

std::optional<int32_t> Whole(const std::string& text) {
  if (!convert::IsNumeric(text)) return std::nullopt;
  try {
    return convert::TextToInt32(text);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

MainMenu::MainMenu(Form1& form, QMenuBar* bar) : QObject(bar), form_(form), bar_(bar) {
  BuildFile();
  BuildSize();
  BuildPicture();
  mapMenu_ = new MapMakerMenu(form_, bar_);
  BuildView();
  BuildHelp();
}

QAction* MainMenu::Add(QMenu* menu, const QString& text, const QKeySequence& key,
                       std::function<void()> handler) {
  QAction* action = menu->addAction(text);
  if (!key.isEmpty()) action->setShortcut(key);
  connect(action, &QAction::triggered, this, HandlerGuard::Wrap(std::move(handler)));
  return action;
}

void MainMenu::BuildFile() {
  QMenu* file = bar_->addMenu(QStringLiteral("&File"));
  actOpen = Add(file, QStringLiteral("&Open\u2026"), QKeySequence::Open, [this] { form_.Command1_Click(); });
  actRefresh =
      Add(file, QStringLiteral("&Refresh"), QKeySequence(Qt::Key_F5), [this] { form_.cmdReload_Click(); });
  mnuRecent = file->addMenu(QStringLiteral("Recent &pictures"));
  connect(mnuRecent, &QMenu::aboutToShow, this, HandlerGuard::Wrap([this] { FillRecent(); }));
  file->addSeparator();
  actSave = Add(file, QStringLiteral("&Save as Targa\u2026"), QKeySequence::Save,
                [this] { form_.Command6_Click(); });
  actSaveAs = Add(file, QStringLiteral("Save &As\u2026"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                  [this] { form_.Saves().SaveAs(); });
  file->addSeparator();
  actCopy = Add(file, QStringLiteral("&Copy result"), QKeySequence::Copy,
                [this] { form_.Clipboard().CopyResult(); });
  actPaste = Add(file, QStringLiteral("Open from clip&board"), QKeySequence::Paste,
                 [this] { form_.Clipboard().OpenFromClipboard(); });
  file->addSeparator();
  actExit = Add(file, QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                [this] { form_.Command5->click(); });
  FillRecent();
}

void MainMenu::BuildSize() {
  // Alt+S and Alt+H belong to the "&Save" and "&Help" buttons; a shared letter would open neither.
  mnuSize = bar_->addMenu(QStringLiteral("Si&ze"));
  act128 = Add(mnuSize, QStringLiteral("&128 x 128"), {}, [this] { form_.Option1->click(); });
  act256 = Add(mnuSize, QStringLiteral("&256 x 256"), {}, [this] { form_.Option2->click(); });
  actPhone = Add(mnuSize, QStringLiteral("The &phone's screen"), {}, [this] { form_.Command4_Click(); });
  actPhoneEdit = Add(mnuSize, QStringLiteral("Phone's screen si&ze\u2026"), {}, [this] { EditPhoneSize(); });
  actOtherSize = Add(mnuSize, QStringLiteral("&Other size\u2026"), {}, [this] { ChooseOtherSize(); });
  presetsAfter_ = mnuSize->addSeparator();
  FillPresets();
  mnuSize->addSeparator();
  // The frame's keys belong to the selection's own key handler; the menu shows them beside their commands.
  actGrow = Add(mnuSize, QStringLiteral("&Grow the frame\t]"), {}, [this] { form_.Selection().Grow(1); });
  actShrink =
      Add(mnuSize, QStringLiteral("Shrin&k the frame\t["), {}, [this] { form_.Selection().Grow(-1); });
  actOneToOne = Add(mnuSize, QStringLiteral("Frame at &1:1\t\\"), {}, [this] { form_.Selection().Grow(0); });
  actWhole =
      Add(mnuSize, QStringLiteral("&Whole picture\tA"), {}, [this] { form_.Selection().FitWholePicture(); });
  connect(mnuSize, &QMenu::aboutToShow, this, HandlerGuard::Wrap([this] {
            act128->setCheckable(true);
            act256->setCheckable(true);
            act128->setChecked(form_.Option1->isChecked());
            act256->setChecked(form_.Option2->isChecked());
            actPhone->setText(QStringLiteral("The &phone's screen (%1 x %2)")
                                  .arg(QString::fromStdString(form_.txtPhoneResX->Text()),
                                       QString::fromStdString(form_.txtPhoneResY->Text())));
          }));
}

void MainMenu::BuildPicture() {
  QMenu* picture = bar_->addMenu(QStringLiteral("&Picture"));
  actMakeSelection = Add(picture, QStringLiteral("&Make Your Selection"), QKeySequence(Qt::CTRL | Qt::Key_M),
                         [this] { form_.Command3_Click(); });
  actResize =
      Add(picture, QStringLiteral("&Resize\u2026"), QKeySequence(Qt::CTRL | Qt::Key_R), [this] { Resize(); });
}

// The keys are the view's own shortcuts; the menu shows them.
void MainMenu::BuildView() {
  QMenu* view = bar_->addMenu(QStringLiteral("&View"));
  actZoomIn = Add(view, QStringLiteral("Zoom &in\tCtrl++"), {}, [this] { form_.ZoomBy(1); });
  actZoomOut = Add(view, QStringLiteral("Zoom &out\tCtrl+-"), {}, [this] { form_.ZoomBy(-1); });
  actActualSize = Add(view, QStringLiteral("&Actual size\tCtrl+0"), {}, [this] { form_.ZoomToActualSize(); });
  actFit = Add(view, QStringLiteral("&Whole picture\tF"), {}, [this] { form_.ZoomToFit(); });
}

void MainMenu::BuildHelp() {
  QMenu* help = bar_->addMenu(QStringLiteral("He&lp"));
  actHelp = Add(help, QStringLiteral("&Help and keys"), QKeySequence::HelpContents,
                [this] { form_.Command7->click(); });
  actAbout = Add(help, QStringLiteral("&About"), {}, [this] { form_.Command8->click(); });
}

void MainMenu::Apply(const EnabledActions& can) {
  actOpen->setEnabled(can.open);
  actRefresh->setEnabled(can.refresh);
  actSave->setEnabled(can.save);
  for (QAction* a : {actSaveAs, actCopy}) a->setEnabled(can.saveAsAndCopy);
  actPaste->setEnabled(can.paste);
  for (QAction* a : {actGrow, actShrink, actOneToOne, actWhole}) a->setEnabled(can.frameKeys);
  actMakeSelection->setEnabled(can.makeSelection);
  actResize->setEnabled(can.resize);
  for (QAction* a : {actZoomIn, actZoomOut, actActualSize, actFit}) a->setEnabled(can.zoom);
  for (QAction* a : {act128, act256, actPhone, actPhoneEdit, actOtherSize}) a->setEnabled(can.sizes);
  for (QAction* a : presets_) a->setEnabled(can.sizes);
}

void MainMenu::RememberPicture(const std::string& path) {
  if (path.empty()) return;
  WriteFirst("Recent", path);
  FillRecent();
}

std::vector<std::string> MainMenu::RecentPictures() { return ReadList("Recent"); }

std::vector<std::pair<int32_t, int32_t>> MainMenu::SizePresets() {
  std::vector<std::pair<int32_t, int32_t>> sizes;
  for (const std::string& item : ReadList("Size")) {
    const size_t x = item.find('x');
    if (x == std::string::npos) continue;
    auto width = Whole(item.substr(0, x));
    auto height = Whole(item.substr(x + 1));
    if (width && height && *width > 0 && *height > 0) sizes.emplace_back(*width, *height);
  }
  return sizes;
}

void MainMenu::RememberSize(int32_t width, int32_t height) {
  WriteFirst("Size", std::to_string(width) + "x" + std::to_string(height));
}

void MainMenu::FillRecent() {
  mnuRecent->clear();
  for (const std::string& path : RecentPictures()) {
    QAction* action = mnuRecent->addAction(QString::fromStdString(path));
    connect(action, &QAction::triggered, this, HandlerGuard::Wrap([this, path] { form_.OpenPicture(path); }));
  }
  mnuRecent->setEnabled(!mnuRecent->isEmpty());
}

void MainMenu::FillPresets() {
  for (QAction* action : presets_) delete action;
  presets_.clear();
  QAction* before = presetsAfter_;
  const auto sizes = SizePresets();
  for (auto it = sizes.rbegin(); it != sizes.rend(); ++it) {
    const int32_t width = it->first, height = it->second;
    auto* action = new QAction(QStringLiteral("%1 x %2").arg(width).arg(height), mnuSize);
    mnuSize->insertAction(before, action);
    before = action;
    connect(action, &QAction::triggered, this, HandlerGuard::Wrap([this, width, height] {
              form_.txtSelWidth->SetText(convert::ToText(width));
              form_.txtSelHeight->SetText(convert::ToText(height));
            }));
    presets_.insert(presets_.begin(), action);
  }
}

void MainMenu::ChooseOtherSize() {
  auto width = Whole(form_.txtSelWidth->Text()).value_or(128);
  auto height = Whole(form_.txtSelHeight->Text()).value_or(128);
  SizeDialog dialog(QStringLiteral("Other size"), std::max(1, width), std::max(1, height), &form_);
  if (!DialogHook::Run(dialog)) return;
  RememberSize(dialog.spnWidth->value(), dialog.spnHeight->value());
  FillPresets();
  form_.txtSelWidth->SetText(convert::ToText(dialog.spnWidth->value()));
  form_.txtSelHeight->SetText(convert::ToText(dialog.spnHeight->value()));
}

// Kept in the phone's boxes, which the settings keep at exit.
void MainMenu::EditPhoneSize() {
  SizeDialog dialog(QStringLiteral("The phone's screen"),
                    std::max(1, Whole(form_.txtPhoneResX->Text()).value_or(240)),
                    std::max(1, Whole(form_.txtPhoneResY->Text()).value_or(320)), &form_);
  if (!DialogHook::Run(dialog)) return;
  form_.txtPhoneResX->SetText(convert::ToText(dialog.spnWidth->value()));
  form_.txtPhoneResY->SetText(convert::ToText(dialog.spnHeight->value()));
  form_.Command4_Click();
}

// Through the covered boxes and "Resize Image" itself, so the result is the button's.
void MainMenu::Resize() {
  auto width = Whole(form_.lblOrigWidth->text().toStdString());
  auto height = Whole(form_.lblOrigHeight->text().toStdString());
  if (!width || !height || *width < 1 || *height < 1) return;
  ResizeDialog dialog(*width, *height, form_.chkKeepProportion->isChecked(), &form_);
  if (!DialogHook::Run(dialog)) return;
  const bool keep = dialog.chkKeepProportion->isChecked();
  form_.chkKeepProportion->setChecked(false);
  form_.txtWidth->SetText(convert::ToText(dialog.spnWidth->value()));
  form_.txtHeight->SetText(convert::ToText(dialog.spnHeight->value()));
  form_.chkKeepProportion->setChecked(keep);
  form_.Command2_Click();
}
