#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <map>

#include "app/ClipboardCommands.h"
#include "app/Form1Fixture.h"
#include "app/MainMenu.h"
#include "app/MapMakerCommands.h"
#include "app/MapMakerMenu.h"
#include "app/ResultSaves.h"
#include "app/SaveAsDialog.h"
#include "app/SizeDialogs.h"
#include "platform/ui/Events.h"

namespace fs = std::filesystem;

namespace {

class MenuTest : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    form.show();
    form.activateWindow();
    platform::DoEvents();
  }
  void TearDown() override {
    DialogHook::Set(nullptr);
    Form1Fixture::TearDown();
  }

  MainMenu& menu() { return *form.Menu(); }

  // A 300 x 200 pattern with the 128 x 128 block at (86, 36) fixed as the result.
  void OpenAndCrop() {
    Open(PatternFile(300, 200));
    form.Command3->click();
    form.picSource_MouseMove(0, 0, 150, 100);
    form.picSource_Click();
  }

  // As a user's key press reaches the window: shortcuts first.
  void Press(const QKeySequence& key) {
    QTest::keyClick(&form, key[0].key(), key[0].keyboardModifiers());
    platform::DoEvents();
  }

  // A real move over the picture, as the status line hears of it.
  void MoveOver(QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, form.picSource->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(form.picSource, &move);
  }

  void Trigger(QAction* action) {
    action->trigger();
    platform::DoEvents();
  }

  // Triggers a command whose size dialog is answered with width x height.
  void TriggerSized(QAction* action, int width, int height) {
    DialogHook::Set([width, height](QDialog& dialog) {
      auto& size = static_cast<SizeDialog&>(dialog);
      size.spnWidth->setValue(width);
      size.spnHeight->setValue(height);
      size.accept();
    });
    Trigger(action);
  }
};

// ---- Each state of the window, and what can act in it: one table.

struct StateCase {
  const char* name;
  int stage;  // 0 empty, 1 picture, 2 selecting, 3 result, 4 result after a paste
  bool refresh, saveAsAndCopy, makeSelection, frameKeys, resize, zoom;
};

class MenuStatesTest : public MenuTest, public testing::WithParamInterface<StateCase> {};

TEST_P(MenuStatesTest, EachCommandIsEnabledOnlyWhenItCanAct) {
  const StateCase& c = GetParam();
  if (c.stage >= 1) Open(PatternFile(300, 200));
  if (c.stage >= 2) form.Command3->click();
  if (c.stage >= 3) form.picSource_Click();
  if (c.stage >= 4) {
    form.Clipboard().CopyResult();
    form.Clipboard().OpenFromClipboard();
    form.Command3->click();
    form.picSource_Click();
  }
  MainMenu& m = menu();
  EXPECT_TRUE(m.actOpen->isEnabled());
  EXPECT_TRUE(m.actPaste->isEnabled());
  // The Targa save says itself when there is nothing to save, as its button does.
  EXPECT_TRUE(m.actSave->isEnabled());
  EXPECT_EQ(m.actRefresh->isEnabled(), c.refresh);
  for (QAction* a : {m.actSaveAs, m.actCopy})
    EXPECT_EQ(a->isEnabled(), c.saveAsAndCopy) << a->text().toStdString();
  EXPECT_EQ(m.actMakeSelection->isEnabled(), c.makeSelection);
  for (QAction* a : {m.actGrow, m.actShrink, m.actOneToOne, m.actWhole})
    EXPECT_EQ(a->isEnabled(), c.frameKeys) << a->text().toStdString();
  // A menu command and its button never disagree.
  EXPECT_EQ(m.actRefresh->isEnabled(), form.cmdReload->isEnabled());
  EXPECT_EQ(m.actMakeSelection->isEnabled(), form.Command3->isEnabled());
  EXPECT_EQ(m.actResize->isEnabled(), form.Frame3->isEnabled());
  EXPECT_EQ(m.actResize->isEnabled(), c.resize);
  for (QAction* a : {m.actZoomIn, m.actZoomOut, m.actActualSize, m.actFit})
    EXPECT_EQ(a->isEnabled(), c.zoom) << a->text().toStdString();
  for (QAction* a : {m.act128, m.act256, m.actPhone, m.actOtherSize, m.actHelp, m.actAbout, m.actExit})
    EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(States, MenuStatesTest,
                         testing::Values(StateCase{"EmptyWindow", 0, false, false, true, false, false, false},
                                         StateCase{"PictureOpen", 1, true, false, true, false, true, true},
                                         StateCase{"Selecting", 2, true, false, false, true, true, true},
                                         StateCase{"ResultFixed", 3, true, true, true, false, true, true},
                                         StateCase{"ResultOfAPastedPicture", 4, true, true, true, false, true,
                                                   true}),
                         [](const testing::TestParamInfo<StateCase>& param) { return param.param.name; });

// ---- Each command from its menu and from its shortcut.

struct ReachCase {
  const char* name;
  QAction* MainMenu::*action;
  QKeySequence key;
};

class MenuReachTest : public MenuTest, public testing::WithParamInterface<ReachCase> {};

// Save as Targa, Save As, Copy and Paste: each from its menu and its key does its work.
TEST_P(MenuReachTest, FromTheMenuAndFromTheKey) {
  const ReachCase& c = GetParam();
  for (bool byKey : {false, true}) {
    OpenAndCrop();
    messages.Clear();
    const size_t calls = dialogs.Calls().size();
    dialogs.Cancel();
    QGuiApplication::clipboard()->clear();
    if (byKey) {
      Press(c.key);
    } else {
      Trigger(menu().*c.action);
    }
    const std::string how = byKey ? "by key" : "from the menu";
    if (c.action == &MainMenu::actCopy) {
      EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(128, 128)) << how;
    } else if (c.action == &MainMenu::actPaste) {
      EXPECT_FALSE(messages.Messages().empty()) << how << ": an empty clipboard is said to hold no picture";
    } else {
      EXPECT_EQ(dialogs.Calls().size(), calls + 1) << how << ": its dialog was asked";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, MenuReachTest,
    testing::Values(ReachCase{"Open", &MainMenu::actOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
                    ReachCase{"SaveTarga", &MainMenu::actSave, QKeySequence(Qt::CTRL | Qt::Key_S)},
                    ReachCase{"SaveAs", &MainMenu::actSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                    ReachCase{"Copy", &MainMenu::actCopy, QKeySequence(Qt::CTRL | Qt::Key_C)},
                    ReachCase{"Paste", &MainMenu::actPaste, QKeySequence(Qt::CTRL | Qt::Key_V)}),
    [](const testing::TestParamInfo<ReachCase>& param) { return param.param.name; });

TEST_F(MenuTest, MakeSelectionAndRefreshFromKeysAndTheirMenus) {
  Open(PatternFile(300, 200));
  Press(QKeySequence(Qt::CTRL | Qt::Key_M));
  EXPECT_TRUE(form.bSelecting());
  form.picSource_Click();
  Trigger(menu().actMakeSelection);
  EXPECT_TRUE(form.bSelecting());
  form.picSource_Click();
  form.lblFile->setText("changed");
  Press(QKeySequence(Qt::Key_F5));
  EXPECT_EQ(form.lblFile->text(), "pattern.bmp") << "F5 loaded the file again";
  form.lblFile->setText("changed");
  Trigger(menu().actRefresh);
  EXPECT_EQ(form.lblFile->text(), "pattern.bmp");
}

TEST_F(MenuTest, SizesFromTheMenuAndOneOfYourOwnKeptAsAPreset) {
  Open(PatternFile(300, 200));
  Trigger(menu().act256);
  EXPECT_EQ(form.txtSelWidth->Text(), "256");
  Trigger(menu().act128);
  EXPECT_EQ(form.txtSelHeight->Text(), "128");
  TriggerSized(menu().actOtherSize, 300, 200);
  EXPECT_EQ(form.txtSelWidth->Text(), "300");
  EXPECT_EQ(form.txtSelHeight->Text(), "200");
  ASSERT_EQ(MainMenu::SizePresets(), (std::vector<std::pair<int32_t, int32_t>>{{300, 200}}));
  Trigger(menu().act128);
  // The preset is a command of the Size menu now.
  QAction* preset = nullptr;
  for (QAction* a : menu().mnuSize->actions())
    if (a->text() == "300 x 200") preset = a;
  ASSERT_NE(preset, nullptr);
  Trigger(preset);
  EXPECT_EQ(form.txtSelWidth->Text(), "300");
  // The phone's screen, edited from the menu, becomes the selection size.
  TriggerSized(menu().actPhoneEdit, 480, 800);
  EXPECT_EQ(form.txtPhoneResX->Text(), "480");
  EXPECT_EQ(form.txtSelWidth->Text(), "480");
  EXPECT_EQ(form.txtSelHeight->Text(), "800");
}

TEST_F(MenuTest, ResizeFromTheMenuKeepsProportionsWithTheButtonsArithmetic) {
  Open(PatternFile(400, 300));
  DialogHook::Set([](QDialog& dialog) {
    auto& resize = static_cast<ResizeDialog&>(dialog);
    resize.chkKeepProportion->setChecked(true);
    resize.spnHeight->setValue(100);
    EXPECT_EQ(resize.spnWidth->value(), 133) << "400 x 100 / 300, truncated";
    resize.accept();
  });
  Trigger(menu().actResize);
  ASSERT_TRUE(form.cDIB);
  EXPECT_EQ(form.cDIB->Width(), 133);
  EXPECT_EQ(form.cDIB->Height(), 100);
  EXPECT_TRUE(form.Saves().HasResult());
}

TEST_F(MenuTest, TheRegionCommandsGrowAndFitTheFrame) {
  Open(PatternFile(600, 400));
  form.Command3->click();
  MoveOver(QPointF(300, 200));
  Trigger(menu().actGrow);
  MoveOver(QPointF(300, 200));
  EXPECT_NE(form.lblStatus->text().indexOf("144 x 144"), -1) << form.lblStatus->text().toStdString();
  Trigger(menu().actWhole);
  MoveOver(QPointF(300, 200));
  EXPECT_NE(form.lblStatus->text().indexOf("400 x 400 to 128 x 128"), -1)
      << form.lblStatus->text().toStdString();
  Trigger(menu().actOneToOne);
  MoveOver(QPointF(300, 200));
  EXPECT_NE(form.lblStatus->text().indexOf("128 x 128"), -1) << form.lblStatus->text().toStdString();
}

TEST_F(MenuTest, TheStatusLineSaysWhereThePointerAndTheFrameAreAndTheZoom) {
  Open(PatternFile(300, 200));
  form.Command3->click();
  MoveOver(QPointF(150, 100));
  const QString status = form.lblStatus->text();
  EXPECT_TRUE(status.startsWith("150, 100 px")) << status.toStdString();
  EXPECT_NE(status.indexOf("Frame at 86, 36, 128 x 128"), -1) << status.toStdString();
  EXPECT_NE(status.indexOf("Zoom 100 %"), -1) << status.toStdString();
}

struct StatusCase {
  const char* name;
  int step;  // after the crop: 0 nothing more, 1 zoom in, 2 a size of your own, 3 copy and paste
  const char* shows;
  const char* gone;
};

class StatusWithoutAMoveTest : public MenuTest, public testing::WithParamInterface<StatusCase> {};

// The line followed the mouse alone: after a crop, a zoom or a paste it kept
// the frame, the old zoom and the old picture's pixel until the next move.
TEST_P(StatusWithoutAMoveTest, TheLineFollowsTheWindowNotJustTheMouse) {
  const StatusCase& c = GetParam();
  Open(PatternFile(600, 400));
  form.Command3->click();
  MoveOver(QPointF(150, 100));
  ASSERT_NE(form.lblStatus->text().indexOf("Frame at"), -1);
  form.picSource_Click();
  if (c.step == 1) Trigger(menu().actZoomIn);
  if (c.step == 2) TriggerSized(menu().actOtherSize, 300, 200);
  if (c.step == 3) {
    form.Clipboard().CopyResult();
    form.Clipboard().OpenFromClipboard();
  }
  const QString status = form.lblStatus->text();
  EXPECT_NE(status.indexOf(c.shows), -1) << status.toStdString();
  EXPECT_EQ(status.indexOf(c.gone), -1) << status.toStdString();
  EXPECT_EQ(status.indexOf("150, 100 px"), -1) << status.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Steps, StatusWithoutAMoveTest,
                         testing::Values(StatusCase{"Cropped", 0, "Result 128 x 128", "Frame at"},
                                         StatusCase{"ZoomedIn", 1, "Zoom 150 %", "Zoom 100 %"},
                                         StatusCase{"ASizeOfYourOwn", 2, "Crop size 300 x 200",
                                                    "Crop size 128 x 128"},
                                         StatusCase{"Pasted", 3, "Crop size 128 x 128", "Result"}),
                         [](const testing::TestParamInfo<StatusCase>& param) { return param.param.name; });

// Alt+S and Alt+H opened neither the Size and Help menus nor the "&Save" and
// "&Help" buttons: a letter two of them share only moves the focus.
TEST_F(MenuTest, NoTwoAltKeysOfTheWindowShareALetter) {
  std::map<int, QString> taken;
  auto take = [&taken](const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (key.isEmpty()) return;
    const auto [at, fresh] = taken.emplace(key[0].toCombined(), text);
    EXPECT_TRUE(fresh) << text.toStdString() << " and " << at->second.toStdString();
  };
  for (QAction* title : menu().Bar()->actions()) take(title->text());
  for (QAbstractButton* button : form.findChildren<QAbstractButton*>())
    if (button->isVisibleTo(&form)) take(button->text());
  EXPECT_GE(taken.size(), 12u) << "five menus and the seven buttons of the four frames";
}

TEST_F(MenuTest, RecentPicturesAreKeptAndOpenAgain) {
  const std::string first = PatternFile(30, 20, "first.bmp");
  const std::string second = PatternFile(40, 20, "second.bmp");
  Open(first);
  Open(second);
  EXPECT_EQ(MainMenu::RecentPictures(), (std::vector<std::string>{second, first}));
  ASSERT_EQ(menu().mnuRecent->actions().size(), 2);
  Trigger(menu().mnuRecent->actions()[1]);
  EXPECT_EQ(form.lblFile->text(), "first.bmp");
}

// The frames keep their own layout in the area under the menu bar.
TEST_F(MenuTest, TheMenuBarSitsAboveTheFramesArea) {
  const QRect bar = menu().Bar()->geometry();
  const QRect area = form.ClientArea()->geometry();
  EXPECT_EQ(bar.top(), 0);
  EXPECT_GE(area.top(), bar.bottom() + 1);
  EXPECT_EQ(form.ClientArea()->size(), QSize(488, 401)) << "7320 x 6015 twips";
  EXPECT_EQ(form.Frame2->parentWidget(), form.ClientArea());
}

// ---- The map maker's menu: each command does what its key does, and shows its state.

struct MapCommandCase {
  const char* name;
  QAction* MapMakerMenu::*action;
  std::function<bool(Form1&)> done;
};

const MapCommandCase kMapCommands[] = {
    {"SnapToGrid", &MapMakerMenu::actSnap, [](Form1& f) { return f.MapMaker().Aids().Snapping(); }},
    {"Majority", &MapMakerMenu::actByMajority,
     [](Form1& f) { return f.MapMaker().Aids().Reduce().method == ReduceMethod::Majority; }},
    {"Nearest", &MapMakerMenu::actByNearest,
     [](Form1& f) { return f.MapMaker().Aids().Reduce().method == ReduceMethod::Nearest; }},
    {"LinearLight", &MapMakerMenu::actLinear, [](Form1& f) { return f.MapMaker().Aids().Reduce().linear; }},
    {"CopyCommand", &MapMakerMenu::actCopyCommand,
     [](Form1& f) {
       return !f.MapMaker().CropCommandLine().empty() &&
              QGuiApplication::clipboard()->text().toStdString() == f.MapMaker().CropCommandLine();
     }},
    {"Forget", &MapMakerMenu::actForget, [](Form1& f) { return f.MapMaker().Aids().Remembered() == 0; }},
};

TEST_F(MenuTest, TheMapMenuOffersTheMapMakersKeys) {
  MapMakerMenu& map = *menu().Map();
  emit map.mnuMap->aboutToShow();
  for (QAction* a : {map.actCopyCommand, map.actRepeat, map.actForget})
    EXPECT_FALSE(a->isEnabled()) << "before any crop: " << a->text().toStdString();
  for (const MapCommandCase& c : kMapCommands) {
    SCOPED_TRACE(c.name);
    OpenAndCrop();
    QGuiApplication::clipboard()->clear();
    emit map.mnuMap->aboutToShow();
    ASSERT_TRUE((map.*c.action)->isEnabled());
    ASSERT_FALSE(c.done(form)) << "done before the command";
    Trigger(map.*c.action);
    EXPECT_TRUE(c.done(form));
    emit map.mnuMap->aboutToShow();
    if ((map.*c.action)->isCheckable()) {
      EXPECT_TRUE((map.*c.action)->isChecked());
    }
    // Back to the store's defaults for the next command.
    if (form.MapMaker().Aids().Snapping()) form.MapMaker().ToggleGridSnap();
    form.MapMaker().Aids().SetReduction({});
  }
}

}  // namespace
