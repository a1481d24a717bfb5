#include <QFile>
#include <filesystem>
#include <future>

#include "app/Form1Fixture.h"
#include "core/MiniMapCommand.h"
#include "formats/PictureDecoder.h"
#include "platform/base/MessageBox.h"
#include "platform/base/Screen.h"
#include "platform/ui/QtMessageRoute.h"
#include "support/pure/PillowImage.h"

namespace {

const char* kOpenFailed = "There was a problem attempting to open this file";

class Form1LoadingTest : public Form1Fixture {};

}  // namespace

TEST_F(Form1LoadingTest, OpenAsksForAnExistingPictureWithTheProgramsFilter) {
  Open(PatternFile(10, 10));
  const auto& record = dialogs.LastCall().record;
  EXPECT_EQ(dialogs.LastCall().kind, platform::FileDialogDouble::Kind::Open);
  EXPECT_EQ(record.Flags, 0x1000u);
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.lpstrDefExt, "JPG");
  // Every kind the program reads itself, PNG too.
  const char kConverted[] =
      "Images (*.JPG *.JPEG *.BMP *.GIF *.PNG)\0*.JPG;*.JPEG;*.BMP;*.GIF;*.PNG\0"
      "All Files (*.*)\0*.*\0\0";
  EXPECT_EQ(record.lpstrFilter, std::string(kConverted, sizeof kConverted - 1));
}

TEST_F(Form1LoadingTest, APictureIsShownMeasuredAndTheWindowLaidOutAroundIt) {
  std::string path = (dir / "Sample.jpg").string();
  PictureFiles::Save(PictureFiles::Pattern(283, 212), path, "JPG", 95);
  Open(path);

  EXPECT_FLOAT_EQ(form.picSource->Width(), 4245);
  EXPECT_FLOAT_EQ(form.picSource->Height(), 3180);
  EXPECT_FLOAT_EQ(form.picDest->Left(), 7365);
  EXPECT_FLOAT_EQ(form.picDest->Top(), 120);
  EXPECT_FLOAT_EQ(form.picDest->Width(), 4245);
  EXPECT_FLOAT_EQ(form.picDest->Height(), 3180);
  EXPECT_FLOAT_EQ(form.Width(), 11860);
  EXPECT_EQ(form.lblOrigWidth->text(), "283");
  EXPECT_EQ(form.lblOrigHeight->text(), "212");
  for (auto* box : {form.txtWidth, form.txtHeight, form.txtSelWidth, form.txtSelHeight}) {
    EXPECT_EQ(box->Text(), "128");
  }
  EXPECT_EQ(form.lblFile->text(), "Sample.jpg");
  EXPECT_EQ(form.sFileName, path);
  EXPECT_TRUE(form.cmdReload->isEnabled());
  EXPECT_TRUE(form.Frame3->isEnabled());
  ASSERT_TRUE(form.cDIB);
  EXPECT_EQ(form.cDIB->Width(), 283);
  EXPECT_EQ(form.cDIB->Height(), 212);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1LoadingTest, TheLoadedPixelsReachTheSurfacesAndTheBitmap) {
  Open(PatternFile(37, 23));
  const gdi::Bitmap& shown = form.picSource->Image();
  const gdi::Bitmap& clean = form.picBuffer->Image();
  for (int y = 0; y < 23; y += 5) {
    for (int x = 0; x < 37; x += 3) {
      EXPECT_EQ(PictureFiles::PixelOf(shown, x, y), PictureFiles::PatternPixel(x, y));
      EXPECT_EQ(PictureFiles::PixelOf(clean, x, y), PictureFiles::PatternPixel(x, y));
      EXPECT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), PictureFiles::PatternPixel(x, y));
    }
  }
}

TEST_F(Form1LoadingTest, ATallPictureGrowsTheWindowAndAShortOneNeverShrinksIt) {
  float before = form.Height();
  Open(PatternFile(20, 600));
  EXPECT_FLOAT_EQ(form.Height(), form.picSource->Top() + form.picSource->Height() + 600);
  float tall = form.Height();
  Open(PatternFile(20, 10, "short.bmp"));
  EXPECT_FLOAT_EQ(form.Height(), tall);
  EXPECT_GT(tall, before);
}

TEST_F(Form1LoadingTest, FitWindowSetsTheWidthFromTheResultSurfaceGrowingOrShrinking) {
  form.SetWidth(20000);
  form.picDest->Move(5040, 120, 1920, 555);
  form.FitWindow();
  EXPECT_FLOAT_EQ(form.Width(), 7210);
  // Never narrower than the covered save button needs.
  form.picDest->Move(0, 120, 15, 555);
  form.FitWindow();
  EXPECT_FLOAT_EQ(form.Width(), 1800 + 915 + 250);
}

TEST_F(Form1LoadingTest, NonNumericPhoneTextsFallBackToThePictureSize) {
  // A size of its own: no option holds the selection size.
  form.txtSelWidth->SetText("100");
  form.txtPhoneResX->SetText("240");
  form.txtPhoneResY->SetText("abc");
  Open(PatternFile(50, 40));
  EXPECT_EQ(form.txtWidth->Text(), "240");
  EXPECT_EQ(form.txtSelWidth->Text(), "240");
  EXPECT_EQ(form.txtHeight->Text(), "40");
  EXPECT_EQ(form.txtSelHeight->Text(), "40");
}

TEST_F(Form1LoadingTest, KeepProportionsIsUntickedWhileTheResizeBoxesAreSet) {
  form.chkKeepProportion->setChecked(true);
  std::vector<bool> tickedWhileSet;
  QObject::connect(form.txtWidth, &QLineEdit::textChanged,
                   [&] { tickedWhileSet.push_back(form.chkKeepProportion->isChecked()); });
  Open(PatternFile(50, 40));
  EXPECT_TRUE(form.bKeepProportion);
  EXPECT_EQ(tickedWhileSet, std::vector<bool>{false});
  EXPECT_TRUE(form.chkKeepProportion->isChecked());
  EXPECT_EQ(form.txtWidth->Text(), "128");
  EXPECT_EQ(form.txtHeight->Text(), "128");
}

TEST_F(Form1LoadingTest, ACancelledOpenKeepsThePictureAndARefreshAfterItEmptiesTheWindow) {
  Open(PatternFile(30, 20));
  dialogs.Cancel();
  form.Command1->click();
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, kOpenFailed);
  EXPECT_EQ(messages.Messages()[0].style, platform::MsgStyle::Critical);
  EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
  EXPECT_EQ(form.sFileName, "");
  EXPECT_EQ(form.lblOrigWidth->text(), "30");
  EXPECT_EQ(PictureFiles::PixelOf(form.picSource->Image(), 3, 4), PictureFiles::PatternPixel(3, 4));

  form.cmdSave->setEnabled(true);
  form.cmdReload->click();
  EXPECT_TRUE(form.picSource->Picture()->Empty());
  EXPECT_TRUE(form.picBuffer->Picture()->Empty());
  EXPECT_EQ(form.lblOrigWidth->text(), "0");
  EXPECT_EQ(form.lblOrigHeight->text(), "0");
  EXPECT_EQ(form.lblFile->text(), "");
  EXPECT_EQ(form.cDIB->hDib(), nullptr);
  EXPECT_TRUE(form.Frame3->isEnabled());
  EXPECT_FALSE(form.cmdSave->isEnabled());
  EXPECT_EQ(messages.Messages().size(), 1u);
}

TEST_F(Form1LoadingTest, RefreshLoadsTheFileAgainAndWaitsForANewSelectionToSaveJpeg) {
  std::string path = PatternFile(30, 20);
  Open(path);
  PictureFiles::Save(PictureFiles::Pattern(40, 10), path, "BMP");
  form.cmdSave->setEnabled(true);
  form.cmdReload->click();
  EXPECT_EQ(form.lblOrigWidth->text(), "40");
  EXPECT_FALSE(form.cmdSave->isEnabled());
}

TEST_F(Form1LoadingTest, AFileThatCannotBeDecodedIsReportedAndChangesNothing) {
  Open(PatternFile(30, 20));
  form.txtSelWidth->SetText("77");
  std::string damaged = (dir / "damaged.jpg").string();
  PictureFiles::WriteBytes(damaged, QByteArray("\xFF\xD8\xFF\xE0 not really a picture", 24));
  for (const std::string& bad : {damaged, (dir / "missing.bmp").string()}) {
    messages.Clear();
    Open(bad);
    ASSERT_EQ(messages.Messages().size(), 1u) << bad;
    EXPECT_EQ(messages.Messages()[0].text.rfind(std::string(kOpenFailed) + "\n" + bad + ": ", 0), 0u);
    EXPECT_EQ(form.lblOrigWidth->text(), "30");
    EXPECT_EQ(form.lblFile->text(), "pattern.bmp");
    EXPECT_EQ(form.txtSelWidth->Text(), "77");
    EXPECT_EQ(form.cDIB->Width(), 30);
  }
  // Refresh still reloads the picture on screen.
  EXPECT_EQ(form.sFileName, (dir / "pattern.bmp").string());
}

TEST_F(Form1LoadingTest, ADamagedPictureOpensAsFarAsItCanBeReadAndSaysHow) {
  const std::string path = PatternFile(40, 30, "cut.bmp");
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 500);
  Open(path);
  EXPECT_EQ(form.lblOrigWidth->text(), "40");
  EXPECT_EQ(form.sFileName, path);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(
      messages.Messages()[0].text,
      "The picture is damaged: the file ends 500 bytes before the end of the pixels its header announces.\n"
      "What could be read of it is shown.");
  EXPECT_EQ(messages.Messages()[0].style, platform::MsgStyle::Exclamation);
  EXPECT_EQ(PictureFiles::PixelOf(form.picSource->Image(), 0, 29), PictureFiles::PatternPixel(0, 29));
}

TEST_F(Form1LoadingTest, GifAndBmpPicturesOpenToo) {
  std::string gif = (dir / "four.gif").string();
  PictureFiles::WriteGif(gif, 2, 2, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)},
                         {0, 1, 2, 3});
  Open(gif);
  EXPECT_EQ(form.lblOrigWidth->text(), "2");
  EXPECT_EQ(PictureFiles::PixelOf(form.picSource->Image(), 1, 1), qRgb(9, 9, 9));
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1LoadingTest, APathTooLongForTheDialogStartsItEmpty) {
  std::filesystem::path deep = dir.Path();
  for (int i = 0; i < 6; ++i) deep /= std::string(50, static_cast<char>('a' + i));
  std::filesystem::create_directories(deep);
  std::string longPath = PatternFile(8, 8, (deep / "long.bmp").lexically_relative(dir.Path()).string());
  ASSERT_GE(longPath.size(), 260u);
  form.OpenPicture(longPath);
  ASSERT_EQ(form.sFileName, longPath);
  Open(PatternFile(9, 9));
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(dialogs.LastCall().record.lpstrFile.find('\0'), 0u);
  EXPECT_EQ(form.lblOrigWidth->text(), "9");
}

TEST_F(Form1LoadingTest, AFailedOpenSaysWhichFileAndWhyOnASecondLine) {
  Open(PatternFile(30, 20));
  const std::string missing = (dir / "missing.jpg").string();
  const std::string text = (dir / "notes.jpg").string();
  PictureFiles::WriteBytes(text, "a shopping list, not a picture");
  const std::string huge = (dir / "huge.bmp").string();
  PictureFiles::WriteBytes(huge, PictureFiles::BmpHeader(15000, 12000));
  const struct {
    std::string path;
    std::vector<std::string> words;
  } cases[] = {
      {missing, {"not found"}},
      {text, {"not a picture this program reads"}},
      {huge, {"too large", "15000 x 12000"}},
      {dir.Path().string(), {"this is a folder, not a picture file"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    messages.Clear();
    form.OpenPicture(c.path);
    ASSERT_EQ(messages.Messages().size(), 1u);
    const std::string& shown = messages.Messages()[0].text;
    const std::string first = std::string(kOpenFailed) + "\n";
    ASSERT_EQ(shown.rfind(first + c.path + ": ", 0), 0u) << shown;
    const std::string second = shown.substr(first.size());
    EXPECT_EQ(second.find('\n'), std::string::npos) << "one line";
    EXPECT_EQ(second.find(c.path), second.rfind(c.path)) << "the path once";
    for (const std::string& word : c.words) EXPECT_NE(second.find(word), std::string::npos) << second;
    EXPECT_EQ(form.lblOrigWidth->text(), "30");
  }
}

TEST_F(Form1LoadingTest, FitWindowLeavesAMaximisedWindowAlone) {
  form.setWindowState(Qt::WindowMaximized);
  ASSERT_EQ(form.WindowState(), 2);
  const float width = form.Width();
  const float height = form.Height();
  Open(PatternFile(20, 600));
  // Beside the picture as shown: too tall for this window, it is shown in a view with a scroll bar.
  EXPECT_FLOAT_EQ(
      form.picDest->Left(),
      static_cast<float>(form.picSource->geometry().right() + 1) * platform::Screen::TwipsPerPixelX() + 120);
  form.picDest->Move(5040, 120, 1920, 555);
  form.FitWindow();
  EXPECT_FLOAT_EQ(form.Width(), width);
  EXPECT_FLOAT_EQ(form.Height(), height);
}

TEST_F(Form1LoadingTest, APhonePhotoOpensUprightAndMeasuredSo) {
  const std::string photo = (dir / "phone.jpg").string();
  ASSERT_TRUE(
      PillowImage::Run("ex = Image.Exif()\nex[0x0112] = 8\n"
                       "Image.new('RGB', (20, 30), (200, 40, 40)).save(sys.argv[1], exif=ex.tobytes())\n",
                       {photo}));
  Open(photo);
  EXPECT_EQ(form.lblOrigWidth->text(), "30");
  EXPECT_EQ(form.lblOrigHeight->text(), "20");
  EXPECT_EQ(form.cDIB->Width(), 30);
}

// The toolkit's own line never reaches the terminal; it explains the failure in the message.
TEST_F(Form1LoadingTest, AFailureSaysWhatTheReaderSaidAndEscapesTheName) {
  platform::QtMessageRoute::Install();
  const std::string bogus = (dir / "bo\x1B[2Jgus.jpg").string();
  PictureFiles::WriteBogusJpeg(bogus);
  Open(bogus);
  ASSERT_EQ(messages.Messages().size(), 1u);
  const std::string& text = messages.Messages()[0].text;
  EXPECT_EQ(text.find('\x1B'), std::string::npos) << text;
  EXPECT_NE(text.find("bo\\033[2Jgus.jpg\": "), std::string::npos) << text;
  EXPECT_NE(text.find("Huffman"), std::string::npos) << text;
}

// A decoding begun early serves the open (here one of a smaller picture, to
// tell them apart); one that failed (begun before the toolkit's reader was
// there, say) gives way to a decoding with every reader.
TEST_F(Form1LoadingTest, ADecodingBegunEarlyServesTheOpenOrGivesWay) {
  const std::string png = (dir / "pattern.png").string();
  PictureFiles::Save(PictureFiles::Pattern(9, 7), png, "PNG");
  const std::string smaller = PatternFile(5, 4);
  for (bool fails : {false, true}) {
    std::promise<formats::PictureRegion> early;
    if (fails) {
      early.set_exception(std::make_exception_ptr(formats::PictureLimits::NotAPicture()));
    } else {
      early.set_value(formats::DecodePicture(smaller));
    }
    form.OpenPicture(png, early.get_future());
    EXPECT_EQ(form.lblOrigWidth->text(), fails ? "9" : "5");
    EXPECT_TRUE(messages.Messages().empty()) << fails;
  }
}

// A picture too large for the window but whole on disk: the words say how
// large, and give the command that makes its mini-map, ready to copy.
TEST_F(Form1LoadingTest, APictureTooLargeToHoldNamesTheCommandForItsMiniMap) {
  const std::string huge = (dir / "huge.bmp").string();
  const QByteArray header = PictureFiles::BmpHeader(15000, 12000);
  PictureFiles::WriteBytes(huge, header);
  std::filesystem::resize_file(huge, static_cast<uintmax_t>(header.size()) + 45000ull * 12000ull);
  form.OpenPicture(huge);
  ASSERT_EQ(messages.Messages().size(), 1u);
  const std::string& shown = messages.Messages()[0].text;
  EXPECT_NE(shown.find("15000 x 12000 pixels (180 megapixels), more than the window can hold"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find(MiniMapCommand::For(huge)), std::string::npos) << shown;
}
