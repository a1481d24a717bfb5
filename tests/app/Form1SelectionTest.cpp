#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "app/Form1Fixture.h"
#include "app/SelectionCases.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

class Form1SelectionTest : public Form1Fixture {
 protected:
  void LoadPattern(int width, int height) { Open(PatternFile(width, height)); }

  void Move(float x, float y) { form.picSource_MouseMove(0, 0, x, y); }

  QRgb Source(int x, int y) { return PictureFiles::PixelOf(form.picSource->Image(), x, y); }
  QRgb Dest(int x, int y) { return PictureFiles::PixelOf(form.picDest->Image(), x, y); }

  // The result shows exactly the block of the picture at (left, top).
  void ExpectResultIsBlockAt(int left, int top, int width, int height) {
    const gdi::Bitmap& dest = form.picDest->Image();
    ASSERT_EQ(dest.Width(), width);
    ASSERT_EQ(dest.Height(), height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(PictureFiles::PixelOf(dest, x, y), PictureFiles::PatternPixel(left + x, top + y))
            << x << "," << y;
  }

  // What the window shows when every earlier frame is wiped by copying the
  // whole clean picture back, and only the last frame is drawn.
  static std::unique_ptr<gdi::Bitmap> FullWipeWithFrame(const gdi::Bitmap& clean, const gdi::Rect& frame,
                                                        gdi::COLORREF colour) {
    auto expected = clean.ShareCopy();
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ oldBitmap = gdi::SelectObject(dc, expected.get());
    gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, colour);
    gdi::HGDIOBJ oldPen = gdi::SelectObject(dc, pen);
    gdi::Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    gdi::SelectObject(dc, oldPen);
    gdi::SelectObject(dc, oldBitmap);
    gdi::DeleteObject(pen);
    gdi::DeleteDC(dc);
    return expected;
  }

  static bool SamePixels(const gdi::Bitmap& a, const gdi::Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
      if (std::memcmp(a.Row(y), b.Row(y), 3 * static_cast<size_t>(a.Width())) != 0) return false;
    return true;
  }
};

}  // namespace

TEST_F(Form1SelectionTest, MakeYourSelectionSizesTheResultAndWaitsForTheMouse) {
  LoadPattern(300, 200);
  form.Command3->click();
  EXPECT_TRUE(form.bSelecting());
  EXPECT_FALSE(form.Command3->isEnabled());
  EXPECT_FLOAT_EQ(form.picDest->Width(), 128 * 15);
  EXPECT_FLOAT_EQ(form.picDest->Height(), 128 * 15);
  EXPECT_FLOAT_EQ(form.picDestBuffer->Width(), 128 * 15);
  EXPECT_FLOAT_EQ(form.Width(), form.picDest->Left() + form.picDest->Width() + 250);
}

// The block inside the picture and the frame around it, one pixel clear on the
// right and bottom; lines off the picture are not seen.
TEST_F(Form1SelectionTest, ThePointerPlacesTheBlockAndItsFrame) {
  for (const PlacementCase& c : kPlacements) {
    SCOPED_TRACE(c.name);
    LoadPattern(c.pictureWidth, c.pictureHeight);
    form.txtSelWidth->SetText(std::to_string(c.width));
    form.txtSelHeight->SetText(std::to_string(c.height));
    form.Command3->click();
    Move(c.x, c.y);
    const gdi::Bitmap& dest = form.picDest->Image();
    ASSERT_EQ(dest.Width(), c.width);
    ASSERT_EQ(dest.Height(), c.height);
    for (int y = 0; y < c.height; ++y)
      for (int x = std::max(0, -c.left); x < std::min(c.width, c.pictureWidth - c.left); ++x)
        ASSERT_EQ(Dest(x, y), PictureFiles::PatternPixel(c.left + x, c.top + y)) << x << "," << y;
    auto framed = FullWipeWithFrame(form.picBuffer->Image(),
                                    {c.left - 1, c.top - 1, c.left + c.width + 2, c.top + c.height + 2},
                                    form.lRectColor());
    EXPECT_TRUE(SamePixels(form.picSource->Image(), *framed));
    form.picSource_Click();
  }
}

TEST_F(Form1SelectionTest, FramesAlternateBlackAndWhiteAndOnlyTheLastOneStays) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(150, 100);
  EXPECT_EQ(Source(85, 100), kBlack);
  Move(151, 100);
  EXPECT_EQ(Source(86, 100), kWhite);
  EXPECT_EQ(Source(85, 100), PictureFiles::PatternPixel(85, 100));
  Move(152, 100);
  EXPECT_EQ(Source(87, 100), kBlack);
  EXPECT_EQ(form.lRectColor(), 0u);
}

TEST_F(Form1SelectionTest, WipingOnlyOldFramesLeavesWhatAWipeOfTheWholePictureLeaves) {
  LoadPattern(300, 200);
  form.txtSelWidth->SetText("57");
  form.txtSelHeight->SetText("90");
  form.Command3->click();
  std::mt19937 random(7);
  std::uniform_real_distribution<float> x(-40, 340), y(-40, 240);
  for (int i = 0; i < 60; ++i) {
    float px = x(random), py = y(random);
    Move(px, py);
    int left = std::clamp(static_cast<int>(std::nearbyint(px)) - 28, 0, 300 - 57);
    int top = std::clamp(static_cast<int>(std::nearbyint(py)) - 45, 0, 200 - 90);
    auto expected = FullWipeWithFrame(form.picBuffer->Image(), {left - 1, top - 1, left + 59, top + 92},
                                      form.lRectColor());
    ASSERT_TRUE(SamePixels(form.picSource->Image(), *expected)) << "move " << i;
  }
}

TEST_F(Form1SelectionTest, AClickFixesExactlyTheBlockWithoutFramePixels) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(100, 60);
  Move(150, 100);
  form.picSource_Click();
  EXPECT_FALSE(form.bSelecting());
  EXPECT_TRUE(form.Command3->isEnabled());
  EXPECT_TRUE(form.cmdSave->isEnabled());
  EXPECT_TRUE(form.picDest->AutoRedraw());
  ExpectResultIsBlockAt(86, 36, 128, 128);
  ASSERT_EQ(form.cDIB->Width(), 128);
  ASSERT_EQ(form.cDIB->Height(), 128);
  for (int y = 0; y < 128; y += 7)
    for (int x = 0; x < 128; x += 5)
      EXPECT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), PictureFiles::PatternPixel(86 + x, 36 + y));
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SelectionTest, OutsideSelectionModeMovesAndClicksChangeNothing) {
  LoadPattern(300, 200);
  Move(100, 100);
  form.picSource_Click();
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
  EXPECT_FALSE(form.cmdSave->isEnabled());
  EXPECT_EQ(form.cDIB->Width(), 300);
}

TEST_F(Form1SelectionTest, ABlockWiderThanThePictureShowsTheBackgroundWhereThePictureEnds) {
  LoadPattern(100, 200);
  form.Command3->click();
  Move(50, 100);
  const QRgb background = qRgb(240, 240, 240);
  for (int y = 0; y < 128; y += 9) {
    for (int x = 0; x < 28; ++x) ASSERT_EQ(Dest(x, y), background) << x << "," << y;
    EXPECT_EQ(Dest(28, y), PictureFiles::PatternPixel(0, 36 + y));
    EXPECT_EQ(Dest(127, y), PictureFiles::PatternPixel(99, 36 + y));
  }
}

TEST_F(Form1SelectionTest, ASizeTypedMidwayTakesEffectAtOnce) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(150, 100);
  form.txtSelWidth->SetText("200");
  form.txtSelHeight->SetText("150");
  EXPECT_FLOAT_EQ(form.picDestBuffer->Width(), 200 * 15);
  EXPECT_FLOAT_EQ(form.Width(), form.picDest->Left() + form.picDest->Width() + 250);
  // The frame and the preview follow without a move.
  ExpectResultIsBlockAt(50, 25, 200, 150);
  EXPECT_EQ(Source(49, 100), form.lRectColor() == 0 ? kBlack : kWhite);
  form.picSource_Click();
  ExpectResultIsBlockAt(50, 25, 200, 150);
  EXPECT_EQ(form.cDIB->Width(), 200);
  EXPECT_EQ(form.cDIB->Height(), 150);
}

TEST_F(Form1SelectionTest, UnusableSizesAndMovesBeforeAnyPictureAreIgnoredQuietly) {
  form.Command3->click();
  Move(10, 10);
  form.picSource_Click();
  EXPECT_TRUE(messages.Messages().empty());

  LoadPattern(300, 200);
  form.txtSelWidth->SetText("abc");
  form.Command3->click();
  EXPECT_FALSE(form.bSelecting());
  form.txtSelWidth->SetText("128");
  form.Command3->click();
  form.txtSelHeight->SetText("");
  Move(100, 100);
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_TRUE(form.bSelecting());
}

TEST_F(Form1SelectionTest, ARealMouseMoveAndClickDriveTheSelection) {
  LoadPattern(300, 200);
  form.Command3->click();
  QMouseEvent move(QEvent::MouseMove, QPointF(150, 100), QPointF(150, 100), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &move);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(150, 100), QPointF(150, 100), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(150, 100), QPointF(150, 100), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &release);
  EXPECT_FALSE(form.bSelecting());
  ExpectResultIsBlockAt(86, 36, 128, 128);
}

namespace {

void PostMove(QWidget* target, QPointF at) {
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseMove, at, target->mapToGlobal(at),
                                                      Qt::NoButton, Qt::NoButton, Qt::NoModifier));
}

void PostClick(QWidget* target, QPointF at) {
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, at, target->mapToGlobal(at),
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, at, target->mapToGlobal(at),
                                                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

}  // namespace

// The frame's drawing lets pending events run; what they do must not bring a
// frame into the preview or change a result already fixed.
TEST_F(Form1SelectionTest, AMoveHandledWhileTheFrameIsDrawnLeavesACleanPreview) {
  LoadPattern(300, 200);
  form.Command3->click();
  PostMove(form.picSource, QPointF(110, 100));
  Move(100, 100);
  ExpectResultIsBlockAt(46, 36, 128, 128);
  const gdi::Bitmap& buffer = form.picDestBuffer->Image();
  EXPECT_EQ(PictureFiles::PixelOf(buffer, 0, 0), PictureFiles::PatternPixel(46, 36));
}

TEST_F(Form1SelectionTest, AClickHandledWhileTheFrameIsDrawnFixesTheSameCropOnBothSurfaces) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(150, 100);
  PostClick(form.picSource, QPointF(150, 100));
  Move(100, 100);
  EXPECT_FALSE(form.bSelecting());
  ExpectResultIsBlockAt(86, 36, 128, 128);
  for (int y = 0; y < 128; y += 9)
    for (int x = 0; x < 128; x += 7) ASSERT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), Dest(x, y));
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SelectionTest, FramesDrawnWhileThePictureIsEmptyAreWipedByTheClick) {
  LoadPattern(300, 200);
  dialogs.Cancel();
  form.Command1->click();
  form.cmdReload->click();
  ASSERT_EQ(form.lblOrigWidth->text(), "0");
  form.Command3->click();
  Move(100, 100);
  Move(120, 90);
  form.picSource_Click();
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SelectionTest, SizesNoCropCanHaveAreIgnoredAndTheButtonStaysUsable) {
  LoadPattern(300, 200);
  form.txtSelWidth->SetText("30000");
  form.txtSelHeight->SetText("30000");
  form.Command3->click();
  EXPECT_FALSE(form.bSelecting());
  EXPECT_TRUE(form.Command3->isEnabled());
  EXPECT_TRUE(messages.Messages().empty());
}

namespace {

class Form1SteeringTest : public Form1SelectionTest {
 protected:
  // A key as the control with the focus would get it.
  void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(target, &release);
  }

  void RightClick(QWidget* target, QPointF at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at.toPoint(), target->mapToGlobal(at.toPoint()));
    QCoreApplication::sendEvent(target, &menu);
  }

  // The pointer well away from the picture.
  static void PointerElsewhere() { QCursor::setPos(-5000, -5000); }

  // A crop fixed at (86, 36), so the result shows something to come back to.
  void FixFirstCrop() {
    LoadPattern(300, 200);
    form.Command3->click();
    Move(150, 100);
    form.picSource_Click();
  }
};

}  // namespace

TEST_F(Form1SteeringTest, EscOrARightClickLeavesTheModeAndBringsBackWhatTheResultShowed) {
  const std::function<void()> cancels[] = {
      [this] { Press(form.txtQuality, Qt::Key_Escape); },
      [this] { Press(form.Command6, Qt::Key_Escape); },
      [this] { RightClick(form.picSource, QPointF(40, 40)); },
  };
  FixFirstCrop();
  const cDIBSection* bitmap = form.cDIB.get();
  for (size_t i = 0; i < std::size(cancels); ++i) {
    SCOPED_TRACE(i);
    form.txtSelWidth->SetText("57");
    form.txtSelHeight->SetText("90");
    form.Command3->click();
    Move(20, 30);
    cancels[i]();
    EXPECT_FALSE(form.bSelecting());
    EXPECT_TRUE(form.Command3->isEnabled());
    EXPECT_EQ(form.windowTitle(), "Quarvel");
    EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
    ExpectResultIsBlockAt(86, 36, 128, 128);
    EXPECT_TRUE(form.picDest->AutoRedraw());
    EXPECT_EQ(form.cDIB.get(), bitmap);
    ASSERT_EQ(form.cDIB->Width(), 128);
    EXPECT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), 5, 7), PictureFiles::PatternPixel(91, 43));
    EXPECT_FLOAT_EQ(form.Width(), form.picDest->Left() + form.picDest->Width() + 250);
  }
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1SteeringTest, ArrowsNudgeByAPixelOrATileAndStopAtThePicturesEdges) {
  LoadPattern(300, 200);
  for (const NudgeRun& c : kNudgeRuns) {
    form.Command3->click();
    Move(c.x, c.y);
    for (const NudgeStep& step : c.steps) {
      Press(form.txtSelWidth, step.key, step.modifiers);
      SCOPED_TRACE(std::to_string(step.left) + "," + std::to_string(step.top));
      ExpectResultIsBlockAt(step.left, step.top, 128, 128);
      auto framed = FullWipeWithFrame(form.picBuffer->Image(),
                                      {step.left - 1, step.top - 1, step.left + 130, step.top + 130},
                                      form.lRectColor());
      EXPECT_TRUE(SamePixels(form.picSource->Image(), *framed));
    }
    EXPECT_EQ(form.txtSelWidth->Text(), "128") << "the keys went to the selection, not the box";
    Press(form.txtSelWidth, Qt::Key_Return);
    EXPECT_FALSE(form.bSelecting());
    ExpectResultIsBlockAt(c.steps.back().left, c.steps.back().top, 128, 128);
  }
}

TEST_F(Form1SteeringTest, EnterOrSpaceFixesTheCropAsTheClickDoesWhateverHasTheFocus) {
  LoadPattern(300, 200);
  for (int key : {Qt::Key_Enter, Qt::Key_Space}) {
    bool saved = false;
    auto connection = QObject::connect(form.Command6, &QPushButton::clicked, [&] { saved = true; });
    form.Command3->click();
    Move(150, 100);
    Press(form.Command6, key);
    QObject::disconnect(connection);
    EXPECT_FALSE(form.bSelecting());
    EXPECT_FALSE(saved) << "the focused button was not pressed";
    EXPECT_TRUE(form.cmdSave->isEnabled());
    ExpectResultIsBlockAt(86, 36, 128, 128);
    EXPECT_EQ(form.cDIB->Width(), 128);
    EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
  }
}

TEST_F(Form1SteeringTest, BeforeAnyMoveArrowsStartFromThePointerOrElseFromThePicturesCentre) {
  LoadPattern(300, 200);
  PointerElsewhere();
  form.Command3->click();
  Press(&form, Qt::Key_Right);
  ExpectResultIsBlockAt(151 - 64, 100 - 64, 128, 128);
  form.picSource_Click();

  QCursor::setPos(form.picSource->mapToGlobal(QPoint(100, 80)));
  form.Command3->click();
  Press(&form, Qt::Key_Down);
  ExpectResultIsBlockAt(100 - 64, 81 - 64, 128, 128);
  PointerElsewhere();
}

TEST_F(Form1SteeringTest, OutsideSelectionModeTheKeysAreLeftToTheControls) {
  LoadPattern(300, 200);
  form.txtQuality->setCursorPosition(0);
  Press(form.txtQuality, Qt::Key_Right);
  EXPECT_EQ(form.txtQuality->cursorPosition(), 1);
  bool clicked = false;
  QObject::connect(form.Command6, &QPushButton::clicked, [&] { clicked = true; });
  Press(form.Command6, Qt::Key_Space);
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SteeringTest, TheTitleSaysWhatToDoWhileSelecting) {
  LoadPattern(300, 200);
  form.Command3->click();
  const std::string hint = form.windowTitle().toStdString();
  // The grid's and the reduction's state from the start, not only once a key changed them.
  for (const char* word : {"click", "Enter", "Esc", "arrow", "grid off (G)", "regions by area"})
    EXPECT_NE(hint.find(word), std::string::npos) << word;
  Move(150, 100);
  EXPECT_EQ(form.lRectColor(), 0u) << "the first move still draws black";
  form.picSource_Click();
  EXPECT_EQ(form.windowTitle(), "Quarvel");
}

TEST_F(Form1SelectionTest, MakeYourSelectionClearsWhatAnEarlierSelectionLeftInTheBuffer) {
  LoadPattern(100, 200);
  form.txtSelWidth->SetText("64");
  form.txtSelHeight->SetText("64");
  form.Command3->click();
  Move(50, 100);
  form.picSource_Click();
  form.txtSelWidth->SetText("128");
  form.txtSelHeight->SetText("128");
  form.Command3->click();
  Move(50, 100);
  const QRgb background = qRgb(240, 240, 240);
  for (int y = 0; y < 128; y += 5)
    for (int x = 0; x < 28; ++x) ASSERT_EQ(Dest(x, y), background) << x << "," << y;
}

TEST_F(Form1SelectionTest, ASizeChosenBeforeOpeningIsTheSizeCut) {
  for (QRadioButton* option : {form.Option2, form.Option1}) {
    option->click();
    LoadPattern(300, 300);
    const int side = option == form.Option2 ? 256 : 128;
    EXPECT_TRUE(option->isChecked());
    EXPECT_EQ(form.txtSelWidth->Text(), std::to_string(side));
    form.Command3->click();
    Move(150, 150);
    form.picSource_Click();
    ExpectResultIsBlockAt(150 - side / 2, 150 - side / 2, side, side);
  }
}

namespace {

class Form1LoadEndsSelection;

struct LoadCase {
  const char* name;
  // A picture is open before the selection begins.
  bool pictureFirst;
  void (*load)(Form1LoadEndsSelection& test);
};

class Form1LoadEndsSelection : public Form1SelectionTest, public testing::WithParamInterface<LoadCase> {
 public:
  void OpenInDialog(const char* name) { Open(PatternFile(300, 200, name)); }
  void OpenNamed(const char* name) { form.OpenPicture(PatternFile(300, 200, name)); }
  void Refresh() { form.cmdReload->click(); }
};

}  // namespace

// The surfaces a selection sized belong to the picture it began on, or to
// none: a load must end it, or the click would fix a result of the wrong size.
TEST_P(Form1LoadEndsSelection, AndTheNextSelectionCutsTheNewPicture) {
  const LoadCase& c = GetParam();
  if (c.pictureFirst) LoadPattern(300, 200);
  form.Command3->click();
  Move(10, 10);
  ASSERT_TRUE(form.bSelecting());
  c.load(*this);
  EXPECT_FALSE(form.bSelecting());
  EXPECT_TRUE(form.Command3->isEnabled());
  EXPECT_EQ(form.windowTitle(), "Quarvel");
  form.picSource_Click();
  EXPECT_FLOAT_EQ(form.picDest->Width(), form.picSource->Width()) << "the click was ignored";
  form.Command3->click();
  Move(150, 100);
  form.picSource_Click();
  ExpectResultIsBlockAt(86, 36, 128, 128);
  EXPECT_EQ(form.cDIB->Width(), 128);
  EXPECT_TRUE(messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Loads, Form1LoadEndsSelection,
    testing::Values(LoadCase{"OpenBeforeAnyPicture", false,
                             [](Form1LoadEndsSelection& window) { window.OpenInDialog("a.bmp"); }},
                    LoadCase{"OpenOverAPicture", true,
                             [](Form1LoadEndsSelection& window) { window.OpenInDialog("b.bmp"); }},
                    LoadCase{"NamedBeforeAnyPicture", false,
                             [](Form1LoadEndsSelection& window) { window.OpenNamed("c.bmp"); }},
                    LoadCase{"Refresh", true, [](Form1LoadEndsSelection& window) { window.Refresh(); }}),
    [](const testing::TestParamInfo<LoadCase>& param) { return param.param.name; });
