#include <QApplication>
#include <QClipboard>
#include <QImageReader>
#include <QShortcut>
#include <filesystem>
#include <fstream>

#include "app/ClipboardCommands.h"
#include "app/Form1Fixture.h"
#include "app/Form2.h"
#include "app/HelpPlacement.h"
#include "app/JpegOptionsDialog.h"
#include "app/ResultSaves.h"
#include "app/SaveAsDialog.h"
#include "app/SaveKinds.h"
#include "cli/TargaFile.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "platform/base/MessageBox.h"
#include "platform/ui/Events.h"
#include "platform/ui/ScreenMetrics.h"

namespace fs = std::filesystem;

namespace {

class WindowCommandsTest : public Form1Fixture {
 protected:
  void TearDown() override {
    SaveAsDialog::SetJpegStepHook(nullptr);
    Form1Fixture::TearDown();
  }

  // A 300 x 200 pattern with the 128 x 128 block at (86, 36) fixed as the result.
  void OpenAndCrop(const std::string& name = "pattern.bmp") {
    Open(PatternFile(300, 200, name));
    form.Command3->click();
    form.picSource_MouseMove(0, 0, 150, 100);
    form.picSource_Click();
  }

  // The picture a file holds, read by the toolkit, as 0xRRGGBB pixels.
  static QImage ReadBack(const fs::path& path) {
    QImageReader reader(QString::fromStdString(path.string()));
    reader.setDecideFormatFromContent(true);
    return reader.read().convertToFormat(QImage::Format_RGB32);
  }

  size_t FilesIn() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
  }

  // The only message shown says there is nothing to save (or copy) yet, titled as the program.
  void ExpectNothingYet(const char* what) {
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_NE(messages.Messages()[0].text.find(std::string("nothing to ") + what + " yet"), std::string::npos)
        << messages.Messages()[0].text;
    EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
  }
};

struct NothingCase {
  const char* name;
  bool openPicture;
  bool startSelection;
};

class NothingToSaveTest : public WindowCommandsTest, public testing::WithParamInterface<NothingCase> {};

// Before any crop "&Save" wrote the blank surface as if it were a result.
TEST_P(NothingToSaveTest, BothSavesSayThereIsNothingAndWriteNothing) {
  const NothingCase& c = GetParam();
  if (c.openPicture) Open(PatternFile(300, 200));
  const size_t files = FilesIn();
  if (c.startSelection) form.Command3->click();
  messages.Clear();
  dialogs.Choose((dir / "map").string());
  form.Command6->click();
  ExpectNothingYet("save");
  messages.Clear();
  dialogs.Choose((dir / "map.png").string());
  form.Saves().SaveAs();
  ExpectNothingYet("save");
  EXPECT_EQ(FilesIn(), files);
  EXPECT_EQ(dialogs.Calls().size(), c.openPicture ? 1u : 0u) << "no save dialog is shown";
}

INSTANTIATE_TEST_SUITE_P(States, NothingToSaveTest,
                         testing::Values(NothingCase{"EmptyWindow", false, false},
                                         NothingCase{"PictureOpen", true, false}),
                         [](const testing::TestParamInfo<NothingCase>& param) { return param.param.name; });

TEST_F(WindowCommandsTest, CopyBeforeAnyResultSaysSoAndLeavesTheClipboard) {
  QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
  Open(PatternFile(40, 30));
  messages.Clear();
  form.Clipboard().CopyResult();
  ExpectNothingYet("copy");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
}

struct SaveAsCase {
  const char* name;
  std::string answer;    // the name typed in the dialog
  uint32_t filterIndex;  // the filter chosen, 1-based
  std::string written;   // the file that must appear
  const char* readAs;    // the toolkit's name of its kind, or "tga"
  bool exact;            // lossless: the crop's pixels exactly
};

class SaveAsEachKindTest : public WindowCommandsTest, public testing::WithParamInterface<SaveAsCase> {};

TEST_P(SaveAsEachKindTest, TheFileHoldsTheCrop) {
  const SaveAsCase& c = GetParam();
  OpenAndCrop();
  SaveAsDialog::SetJpegStepHook([](JpegOptionsDialog& step) {
    step.spnQuality->setValue(95);
    step.accept();
  });
  messages.Clear();
  dialogs.Choose((dir / c.answer).string(), c.filterIndex);
  form.Saves().SaveAs();
  EXPECT_TRUE(messages.Messages().empty());
  const fs::path written = dir / c.written;
  ASSERT_TRUE(fs::exists(written)) << c.written;
  int width = 0, height = 0;
  std::function<QRgb(int, int)> pixel;
  QImage image;
  TargaFile tga;
  if (std::string(c.readAs) == "tga") {
    tga = TargaFile::Read(written);
    width = tga.width, height = tga.height;
    pixel = [&](int x, int y) { return tga.At(x, y); };
  } else {
    image = ReadBack(written);
    width = image.width(), height = image.height();
    pixel = [&](int x, int y) { return image.pixel(x, y) | 0xFF000000u; };
  }
  ASSERT_EQ(width, 128);
  ASSERT_EQ(height, 128);
  int most = 0;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const QRgb a = pixel(x, y), b = PictureFiles::PatternPixel(86 + x, 36 + y);
      most = std::max({most, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                       std::abs(qBlue(a) - qBlue(b))});
    }
  }
  if (c.exact) {
    EXPECT_EQ(most, 0);
  } else {
    // The pattern is all edges, which JPEG blurs: the file is what the writer makes of the crop.
    const std::vector<uint8_t> expected = mIntelJPEGLibrary::EncodeJPEG(*form.cDIB, 95);
    std::ifstream file(written, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SaveAsEachKindTest,
    testing::Values(SaveAsCase{"PngByExtension", "crop.png", 1, "crop.png", "png", true},
                    SaveAsCase{"TargaByExtension", "crop.TGA", 1, "crop.TGA", "tga", true},
                    SaveAsCase{"JpegByExtension", "crop.jpeg", 1, "crop.jpeg", "jpg", false},
                    SaveAsCase{"TargaByFilter", "crop", 1, "crop.tga", "tga", true},
                    SaveAsCase{"JpegByFilter", "crop", 2, "crop.jpg", "jpg", false},
                    SaveAsCase{"PngByFilter", "crop", 3, "crop.png", "png", true},
                    SaveAsCase{"ExtensionBeatsFilter", "crop.png", 1, "crop.png", "png", true}),
    [](const testing::TestParamInfo<SaveAsCase>& param) { return param.param.name; });

TEST_F(WindowCommandsTest, SaveAsSuggestsANameFromThePictureAndOffersEveryKind) {
  OpenAndCrop("island.bmp");
  dialogs.Cancel();
  form.Saves().SaveAs();
  const auto& record = dialogs.LastCall().record;
  EXPECT_EQ(record.lpstrFile.substr(0, record.lpstrFile.find('\0')), "island-128.png");
  const char kFilter[] = "Targa (*.tga)\0*.tga\0JPEG (*.jpg *.jpeg)\0*.jpg;*.jpeg\0PNG (*.png)\0*.png\0\0";
  EXPECT_EQ(record.lpstrFilter, std::string(kFilter, sizeof kFilter - 1));
  EXPECT_EQ(record.nFilterIndex, 3u) << "PNG offered first";
  EXPECT_EQ(FilesIn(), 1u);
  EXPECT_TRUE(messages.Messages().empty());
}

struct JpegSizeCase {
  const char* name;
  int quality;
  QString maxKilobytes;
};

class JpegStepTest : public WindowCommandsTest, public testing::WithParamInterface<JpegSizeCase> {};

// The size shown before writing is the size of the file written.
TEST_P(JpegStepTest, TheSizeShownIsTheFileWritten) {
  const JpegSizeCase& c = GetParam();
  OpenAndCrop();
  size_t shown = 0;
  QString label;
  SaveAsDialog::SetJpegStepHook([&](JpegOptionsDialog& step) {
    step.spnQuality->setValue(c.quality);
    step.txtMaxSize->setText(c.maxKilobytes);
    shown = step.Bytes().size();
    label = step.lblFileSize->text();
    step.accept();
  });
  dialogs.Choose((dir / "map.jpg").string());
  form.Saves().SaveAs();
  ASSERT_TRUE(fs::exists(dir / "map.jpg"));
  EXPECT_EQ(fs::file_size(dir / "map.jpg"), shown);
  EXPECT_TRUE(label.startsWith(QString::number(shown) + " bytes")) << label.toStdString();
  if (!c.maxKilobytes.isEmpty()) {
    EXPECT_LE(shown, c.maxKilobytes.toUInt() * 1024u);
    EXPECT_EQ(form.txtMaxSize->Text(), c.maxKilobytes.toStdString()) << "the limit is kept for next time";
  } else {
    EXPECT_EQ(form.txtQuality->Text(), std::to_string(c.quality)) << "the quality is kept for next time";
  }
}

INSTANTIATE_TEST_SUITE_P(Choices, JpegStepTest,
                         testing::Values(JpegSizeCase{"Quality40", 40, ""},
                                         JpegSizeCase{"Quality100", 100, ""},
                                         JpegSizeCase{"LimitOf8KB", 90, "8"}),
                         [](const testing::TestParamInfo<JpegSizeCase>& param) { return param.param.name; });

TEST_F(WindowCommandsTest, ALimitNoQualityMeetsCannotBeSavedAndCancellingWritesNothing) {
  OpenAndCrop();
  bool saveOffered = true;
  SaveAsDialog::SetJpegStepHook([&](JpegOptionsDialog& step) {
    step.txtMaxSize->setText("1");
    saveOffered = step.cmdSave->isEnabled();
    step.reject();
  });
  dialogs.Choose((dir / "tiny.jpg").string());
  form.Saves().SaveAs();
  EXPECT_FALSE(saveOffered) << "even quality 1 takes more than 1 KB of this pattern";
  EXPECT_FALSE(fs::exists(dir / "tiny.jpg"));
}

TEST_F(WindowCommandsTest, SaveAsAsksBeforeReplacingAndNoWritesNothing) {
  OpenAndCrop();
  std::ofstream(dir / "old.png") << "old picture";
  messages.Answer(platform::vbNo);
  dialogs.Choose((dir / "old.png").string());
  form.Saves().SaveAs();
  ASSERT_EQ(messages.Messages().size(), 1u);
  std::string kept;
  std::getline(std::ifstream(dir / "old.png"), kept);
  EXPECT_EQ(kept, "old picture");
  EXPECT_EQ(dialogs.Calls().size(), 3u) << "No goes back to the dialog, which the script then cancels";
}

TEST_F(WindowCommandsTest, ASaveAsIntoAMissingFolderSaysWhyNamingTheFile) {
  OpenAndCrop();
  const fs::path target = dir / "missing" / "map.png";
  dialogs.Choose(target.string());
  form.Saves().SaveAs();
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text.rfind(
                "Failed to save the picture to the file: '" + target.string() + "'", 0),
            0u);
  EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(WindowCommandsTest, CopyThenPasteGivesTheSamePixelsAsAPictureNamedClipboard) {
  OpenAndCrop();
  form.Clipboard().CopyResult();
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
  form.Clipboard().OpenFromClipboard();
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(form.lblFile->text(), "Clipboard");
  EXPECT_EQ(form.lblOrigWidth->text(), "128");
  EXPECT_EQ(form.lblOrigHeight->text(), "128");
  for (int y = 0; y < 128; y += 9)
    for (int x = 0; x < 128; x += 7)
      ASSERT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), PictureFiles::PatternPixel(86 + x, 36 + y));
}

TEST_F(WindowCommandsTest, RefreshAfterAPasteSaysThereIsNoFileAndReadsNothing) {
  // A file named like the pasted picture must not be what Refresh opens.
  std::ofstream("Clipboard") << "not a picture";
  QImage pasted(20, 10, QImage::Format_RGB32);
  pasted.fill(qRgb(10, 200, 30));
  QGuiApplication::clipboard()->setImage(pasted);
  form.Clipboard().OpenFromClipboard();
  ASSERT_EQ(form.lblOrigWidth->text(), "20");
  messages.Clear();
  form.cmdReload->click();
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].text.find("no file to reload"), std::string::npos);
  EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
  EXPECT_EQ(form.lblOrigWidth->text(), "20");
  fs::remove("Clipboard");
  // A file opened afterwards is one Refresh reads again.
  Open(PatternFile(30, 20));
  messages.Clear();
  form.cmdReload->click();
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(WindowCommandsTest, PastingWithNoPictureOnTheClipboardSaysSoAndKeepsThePicture) {
  Open(PatternFile(30, 20));
  QGuiApplication::clipboard()->setText(QStringLiteral("words"));
  messages.Clear();
  form.Clipboard().OpenFromClipboard();
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
  EXPECT_EQ(form.lblOrigWidth->text(), "30");
}

TEST_F(WindowCommandsTest, TheCoveredControlsAreOutOfTheFocusChain) {
  Open(PatternFile(30, 20));
  form.show();
  platform::DoEvents();
  for (QWidget* covered : {static_cast<QWidget*>(form.Frame3), static_cast<QWidget*>(form.Frame1),
                           static_cast<QWidget*>(form.cmdSave)}) {
    EXPECT_EQ(covered->focusPolicy(), Qt::NoFocus);
    for (QWidget* child : covered->findChildren<QWidget*>())
      EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
  }
  // Walking the chain from the first button meets none of them.
  form.Command1->setFocus();
  for (QWidget* at = form.Command1->nextInFocusChain(); at != form.Command1; at = at->nextInFocusChain()) {
    if (!(at->focusPolicy() & Qt::TabFocus) || !at->isEnabled()) continue;
    EXPECT_FALSE(form.Frame3->isAncestorOf(at) || form.Frame1->isAncestorOf(at) || at == form.cmdSave)
        << at->metaObject()->className() << " takes the focus by Tab";
  }
}

TEST_F(WindowCommandsTest, TheOpenDialogsFirstFilterTakesEveryKindThatOpens) {
  Open(PatternFile(10, 10));
  const std::string filter = dialogs.LastCall().record.lpstrFilter.value_or("");
  const std::string first =
      filter.substr(filter.find('\0') + 1, filter.find('\0', filter.find('\0') + 1) - filter.find('\0') - 1);
  for (const char* pattern : {"*.JPG", "*.JPEG", "*.BMP", "*.GIF", "*.PNG"})
    EXPECT_NE(first.find(pattern), std::string::npos) << pattern << " in " << first;
}

struct NameCase {
  const char* name;
  std::string typed;
  SaveKinds::Kind chosen;
  std::string written;
  SaveKinds::Kind kind;
};

class SaveKindsNames : public testing::TestWithParam<NameCase> {};

TEST_P(SaveKindsNames, TheExtensionDecidesElseTheFilter) {
  const NameCase& c = GetParam();
  SaveKinds::Kind kind = SaveKinds::Kind::Bmp;
  EXPECT_EQ(SaveKinds::Resolve(c.typed, c.chosen, kind), c.written);
  EXPECT_EQ(kind, c.kind);
}

using K = SaveKinds::Kind;
INSTANTIATE_TEST_SUITE_P(
    Names, SaveKindsNames,
    testing::Values(NameCase{"Bare", "/m/map", K::Png, "/m/map.png", K::Png},
                    NameCase{"OwnExtension", "/m/map.JPEG", K::Png, "/m/map.JPEG", K::Jpeg},
                    NameCase{"UnknownExtensionKept", "/m/map.v2", K::Targa, "/m/map.v2.tga", K::Targa},
                    NameCase{"FolderWithADot", "/m/maps.png/map", K::Jpeg, "/m/maps.png/map.jpg", K::Jpeg},
                    NameCase{"ReadOnlyKind", "/m/map.bmp", K::Png, "/m/map.bmp.png", K::Png}),
    [](const testing::TestParamInfo<NameCase>& param) { return param.param.name; });

TEST(SaveKindsSuggest, ANameFromThePicturesAndTheResultsSize) {
  EXPECT_EQ(SaveKinds::SuggestedName("map.jpg", 256, 256, K::Png), "map-256.png");
  EXPECT_EQ(SaveKinds::SuggestedName("/a/b/map.tar.jpg", 300, 200, K::Jpeg), "map.tar-300x200.jpg");
  EXPECT_EQ(SaveKinds::SuggestedName("", 128, 128, K::Targa), "map-128.tga");
  EXPECT_EQ(SaveKinds::SuggestedName(".hidden", 64, 64, K::Png), ".hidden-64.png");
}

// ---- The help window.

struct PlacementCase {
  const char* name;
  QRect main;
  QSize help;
  QRect screen;
  std::optional<QPoint> expected;
};

class HelpPlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(HelpPlacementTest, BesideTheMainWindowWhereTheScreenAllows) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(HelpPlacement::Beside(c.main, c.help, c.screen), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, HelpPlacementTest,
    testing::Values(PlacementCase{"RightWhenThereIsRoom", QRect(0, 0, 500, 420), QSize(640, 480),
                                  QRect(0, 0, 1920, 1080), QPoint(500, 0)},
                    PlacementCase{"LeftWhenOnlyThereIsRoom", QRect(700, 50, 600, 420), QSize(640, 480),
                                  QRect(0, 0, 1366, 768), QPoint(60, 50)},
                    PlacementCase{"NeitherSideAt1366", QRect(300, 0, 800, 600), QSize(640, 480),
                                  QRect(0, 0, 1366, 768), std::nullopt},
                    PlacementCase{"KeptAboveTheScreensFoot", QRect(0, 500, 500, 200), QSize(640, 480),
                                  QRect(0, 0, 1920, 768), QPoint(500, 288)},
                    PlacementCase{"TallerThanTheScreen", QRect(0, 0, 500, 200), QSize(640, 480),
                                  QRect(0, 0, 1920, 400), std::nullopt}),
    [](const testing::TestParamInfo<PlacementCase>& param) { return param.param.name; });

TEST_F(WindowCommandsTest, TheHelpWindowOpensBesideTheMainWindowAndItsKeysClose) {
  platform::ScreenMetrics::PretendAvailableArea(QRect(0, 0, 1920, 1080));
  form.move(0, 0);
  form.show();
  platform::DoEvents();
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    form.Command7->click();
    QPointer<Form2> help = form.HelpWindow();
    ASSERT_TRUE(help);
    EXPECT_GE(help->frameGeometry().left(), form.frameGeometry().right()) << "beside, not over, the controls";
    bool closed = false;
    for (QShortcut* shortcut : help->findChildren<QShortcut*>()) {
      if (shortcut->key() == key) {
        emit shortcut->activated();
        closed = true;
      }
    }
    EXPECT_TRUE(closed) << key.toString().toStdString();
    DeleteClosedWindows();
    EXPECT_TRUE(help.isNull()) << key.toString().toStdString();
  }
  platform::ScreenMetrics::PretendAvailableArea(std::nullopt);
}

TEST_F(WindowCommandsTest, TheHelpWindowHasAPageOfKeys) {
  form.Command7->click();
  Form2* help = form.HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_FALSE(help->ShowingKeys());
  emit help->lblKeysLink->linkActivated("keys");
  EXPECT_TRUE(help->ShowingKeys());
  for (const char* key : {"Ctrl+0", "Esc", "Arrow keys", "Enter"})
    EXPECT_TRUE(help->lblKeys->text().contains(QString::fromUtf8(key))) << key;
  emit help->lblKeys->linkActivated("picture");
  EXPECT_FALSE(help->ShowingKeys());
  help->close();
  DeleteClosedWindows();
}

}  // namespace
