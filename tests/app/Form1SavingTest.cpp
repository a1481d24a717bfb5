#include <sys/stat.h>

#include <QFile>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "app/Form1Fixture.h"
#include "cli/TargaFile.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "platform/ui/PictureBox.h"
#include "platform/ui/WindowHandles.h"

namespace fs = std::filesystem;

namespace {

using Kind = platform::FileDialogDouble::Kind;

const std::string kFailed = "Failed to save the picture to the file: '";

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A picture that changes slowly, so a JPEG of it stays close to the original.
QRgb Smooth(int x, int y) { return qRgb(x * 255 / 299, y * 255 / 199, 60 + (x + y) / 8); }

class Form1SavingTest : public Form1Fixture {
 protected:
  // A 300 x 200 picture with the 128 x 128 block at (86, 36) selected.
  void LoadAndSelect(const std::string& path) {
    Open(path);
    form.Command3->click();
    form.picSource_MouseMove(0, 0, 150, 100);
    form.picSource_Click();
  }

  std::string SmoothFile() {
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x) image.setPixel(x, y, Smooth(x, y));
    fs::path path = dir / "smooth.bmp";
    PictureFiles::Save(image, path, "BMP");
    return path.string();
  }

  void SaveTarga(const fs::path& answer) {
    dialogs.Choose(answer.string());
    form.Command6->click();
  }

  void SaveJpeg(const fs::path& answer) {
    dialogs.Choose(answer.string());
    form.cmdSave_Click();
  }

  // What the JPEG writer makes of the window's bitmap at this quality.
  std::string ReferenceJpeg(int32_t quality) {
    fs::path path = dir / ("reference" + std::to_string(quality) + ".jpg");
    mIntelJPEGLibrary::SaveJPEGinFile(*form.cDIB, path.string(), quality);
    return Contents(path);
  }

  std::vector<std::string> FilesInDir() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // A Targa save of a result with no picture in it: the surface's background at this size.
  void ExpectEmptyResultSaved(int width, int height) {
    SaveTarga(dir / "empty");
    TargaFile tga = TargaFile::Read(dir / "empty.tga");
    ASSERT_EQ(tga.width, width);
    ASSERT_EQ(tga.height, height);
    const gdi::COLORREF back = gdi::kSurfaceBackColor;
    const QRgb background = qRgb(back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF);
    EXPECT_TRUE(std::all_of(tga.pixels.begin(), tga.pixels.end(), [&](QRgb p) { return p == background; }));
  }

  // A Targa save of the 128 x 128 crop under a new name, without any message.
  void ExpectQuietCropSave(const std::string& name) {
    messages.Clear();
    SaveTarga(dir / name);
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(TargaFile::Read(dir / (name + ".tga")).width, 128);
  }

  // One failure message naming the file, with the writer's reason below it;
  // before it only the question whether to replace the file.
  void ExpectOneFailureFor(const fs::path& file, size_t questions = 0) {
    ASSERT_EQ(messages.Messages().size(), 1u + questions);
    const auto& message = messages.Messages().back();
    std::istringstream lines(message.text);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_EQ(first, kFailed + file.string() + "'");
    EXPECT_FALSE(second.empty());
    EXPECT_EQ(message.style, 48);
    EXPECT_EQ(message.title, "Quarvel");
  }
};

}  // namespace

TEST_F(Form1SavingTest, TheTargaDialogAsksPlainlyForATargaName) {
  Open(PatternFile(30, 20));
  SaveTarga(dir / "map");
  const auto& call = dialogs.LastCall();
  EXPECT_EQ(call.kind, Kind::Save);
  EXPECT_EQ(call.record.lpstrTitle, "Save-Filename");
  const char kFilter[] = "Targa (*.tga)\0*.tga\0\0";
  EXPECT_EQ(call.record.lpstrFilter, std::string(kFilter, sizeof kFilter - 1));
  EXPECT_EQ(call.record.hwndOwner, 0);
  EXPECT_EQ(call.record.Flags & platform::OFN_OVERWRITEPROMPT, 0u);
}

TEST_F(Form1SavingTest, TargaNamesGetTheExtensionOnlyWhenTheyLackIt) {
  Open(PatternFile(30, 20));
  SaveTarga(dir / "map");
  SaveTarga(dir / "map.TGA");
  EXPECT_EQ(FilesInDir(), (std::vector<std::string>{"map.TGA", "map.tga", "pattern.bmp"}));
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1SavingTest, CancellingEitherDialogWritesAndShowsNothing) {
  LoadAndSelect(PatternFile(300, 200));
  dialogs.Cancel();
  form.Command6->click();
  dialogs.Cancel();
  form.cmdSave->click();
  EXPECT_EQ(dialogs.Calls().size(), 3u);
  EXPECT_EQ(FilesInDir(), std::vector<std::string>{"pattern.bmp"});
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(form.txtQuality->Text(), "90");
}

TEST_F(Form1SavingTest, TheTargaFileHoldsExactlyTheCropUncompressed) {
  LoadAndSelect(PatternFile(300, 200));
  SaveTarga(dir / "map");
  TargaFile tga = TargaFile::Read(dir / "map.tga");
  EXPECT_EQ(tga.type, 2);
  EXPECT_EQ(tga.depth, 24);
  ASSERT_EQ(tga.width, 128);
  ASSERT_EQ(tga.height, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      ASSERT_EQ(tga.At(x, y), PictureFiles::PatternPixel(86 + x, 36 + y)) << x << "," << y;
}

// Latin-1, as on old archives and USB sticks: bytes that are no UTF-8.
TEST_F(Form1SavingTest, ANameThatIsNotUtf8OpensShowsAsTheSystemShowsItAndSaves) {
  // Qt's writer would take the name as text; the file gets its bytes by renaming.
  fs::rename(PatternFile(300, 200), dir / "caf\xe9.bmp");
  LoadAndSelect((dir / "caf\xe9.bmp").string());
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(form.lblFile->text(), QFile::decodeName("caf\xe9.bmp"));
  SaveTarga(dir / "r\xe9sultat");
  SaveJpeg(dir / "r\xe9sultat.jpg");
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(TargaFile::Read(dir / "r\xe9sultat.tga").At(0, 0), PictureFiles::PatternPixel(86, 36));
  EXPECT_TRUE(fs::exists(dir / "r\xe9sultat.jpg"));
}

TEST_F(Form1SavingTest, BeforeAnySelectionTheTargaHoldsTheEmptyResultAtThePicturesSize) {
  Open(PatternFile(40, 30));
  EXPECT_FALSE(form.cmdSave->isEnabled());
  ExpectEmptyResultSaved(40, 30);
}

TEST_F(Form1SavingTest, AResizedResultIsSavedAtItsNewSize) {
  Open(PatternFile(300, 200));
  form.chkKeepProportion->setChecked(false);
  form.txtWidth->SetText("90");
  form.txtHeight->SetText("70");
  form.Command2->click();
  SaveTarga(dir / "resized");
  TargaFile tga = TargaFile::Read(dir / "resized.tga");
  ASSERT_EQ(tga.width, 90);
  ASSERT_EQ(tga.height, 70);
  for (int y = 0; y < 70; y += 3)
    for (int x = 0; x < 90; x += 4)
      ASSERT_EQ(tga.At(x, y), PictureFiles::PixelOf(*form.cDIB->hDib(), x, y)) << x << "," << y;
}

TEST_F(Form1SavingTest, TheJpegDialogIsOwnedPromptsBeforeOverwritingAndAddsJpg) {
  LoadAndSelect(PatternFile(300, 200));
  dialogs.Cancel();
  form.cmdSave->click();
  const auto& record = dialogs.LastCall().record;
  EXPECT_EQ(dialogs.LastCall().kind, Kind::Save);
  EXPECT_EQ(record.Flags, 0x6u);
  EXPECT_EQ(record.lpstrDefExt, "JPG");
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.hwndOwner, platform::WindowHandles::HandleOf(&form));
  const char kFilter[] = "JPEG Files (*.JPG)\0*.JPG\0All Files (*.*)\0*.*\0\0";
  EXPECT_EQ(record.lpstrFilter, std::string(kFilter, sizeof kFilter - 1));
}

TEST_F(Form1SavingTest, TheJpegHoldsTheCropAtItsSizeNotThePictures) {
  LoadAndSelect(SmoothFile());
  dialogs.Choose((dir / "map.JPG").string());
  form.cmdSave->click();
  QImage jpeg(QString::fromStdString((dir / "map.JPG").string()), "JPG");
  ASSERT_EQ(jpeg.width(), 128);
  ASSERT_EQ(jpeg.height(), 128);
  int worst = 0;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      QRgb got = jpeg.pixel(x, y), want = Smooth(86 + x, 36 + y);
      worst = std::max({worst, std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                        std::abs(qBlue(got) - qBlue(want))});
    }
  }
  EXPECT_LE(worst, 8);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1SavingTest, TheQualityIsTheBoxRoundedToEvenOrNinetyWhenUnreadable) {
  const std::pair<const char*, int32_t> readable[] = {{"75.5", 76}, {"74.5", 74}, {"150", 150},
                                                      {"0", 0},     {"-20", -20}, {" 60 ", 60}};
  for (const auto& [text, quality] : readable) {
    form.txtQuality->SetText(text);
    EXPECT_EQ(form.GetJPEGQuality(), quality) << text;
    EXPECT_EQ(form.txtQuality->Text(), text);
  }
  for (const char* text : {"abc", "", "3000000000", "12abc"}) {
    form.txtQuality->SetText(text);
    EXPECT_EQ(form.GetJPEGQuality(), 90) << text;
    EXPECT_EQ(form.txtQuality->Text(), "90") << text;
  }
}

TEST_F(Form1SavingTest, TheJpegIsWrittenAtTheQualityTheBoxGives) {
  LoadAndSelect(PatternFile(300, 200));
  form.txtQuality->SetText("75.5");
  SaveJpeg(dir / "a.jpg");
  EXPECT_EQ(Contents(dir / "a.jpg"), ReferenceJpeg(76));
  EXPECT_NE(Contents(dir / "a.jpg"), ReferenceJpeg(75));
  form.txtQuality->SetText("letters");
  SaveJpeg(dir / "b.jpg");
  EXPECT_EQ(Contents(dir / "b.jpg"), ReferenceJpeg(90));
  EXPECT_EQ(form.txtQuality->Text(), "90");
}

TEST_F(Form1SavingTest, ATargaSaveThatFailsSaysSoAndTheWindowGoesOn) {
  LoadAndSelect(PatternFile(300, 200));
  SaveTarga(dir / "missing" / "map");
  ExpectOneFailureFor(dir / "missing" / "map.tga");
  EXPECT_FALSE(fs::exists(dir / "missing"));
  ExpectQuietCropSave("fine");
}

TEST_F(Form1SavingTest, AJpegSaveThatFailsSaysSoAndTheWindowGoesOn) {
  LoadAndSelect(PatternFile(300, 200));
  WriteText(dir / "kept.jpg", "old picture");
  fs::permissions(dir / "kept.jpg", fs::perms(0444));
  messages.Answer(platform::vbYes);
  SaveJpeg(dir / "kept.jpg");
  ExpectOneFailureFor(dir / "kept.jpg", 1);
  EXPECT_EQ(Contents(dir / "kept.jpg"), "old picture");

  messages.Clear();
  SaveJpeg(dir / "fine.jpg");
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(QImage(QString::fromStdString((dir / "fine.jpg").string())).width(), 128);
}

TEST_F(Form1SavingTest, AJpegSaveBeforeAnyPictureFailsWithTheMessage) {
  SaveJpeg(dir / "nothing.jpg");
  ExpectOneFailureFor(dir / "nothing.jpg");
  EXPECT_FALSE(fs::exists(dir / "nothing.jpg"));
}

TEST_F(Form1SavingTest, ASizeChangedDuringTheSelectionIsTheSizeSaved) {
  const struct {
    const char* how;
    QRadioButton* Form1::*before;
    std::function<void(Form1&)> change;
    int width, height;
  } cases[] = {
      {"256 x 256 clicked", &Form1::Option1, [](Form1& f) { f.Option2->click(); }, 256, 256},
      {"128 x 128 clicked", &Form1::Option2, [](Form1& f) { f.Option1->click(); }, 128, 128},
      {"Screen Dimensions", &Form1::Option1,
       [](Form1& f) {
         f.txtPhoneResX->SetText("100");
         f.txtPhoneResY->SetText("60");
         f.Command4->click();
       },
       100, 60},
      {"typed", &Form1::Option1, [](Form1& f) { f.txtSelHeight->SetText("90"); }, 128, 90},
  };
  Open(PatternFile(300, 200));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    (form.*c.before)->click();
    form.Command3->click();
    form.picSource_MouseMove(0, 0, 150, 100);
    c.change(form);
    EXPECT_FLOAT_EQ(form.picDest->Width(), c.width * 15.0f);
    form.picSource_Click();
    SaveTarga(dir / "crop");
    TargaFile tga = TargaFile::Read(dir / "crop.tga");
    fs::remove(dir / "crop.tga");
    ASSERT_EQ(tga.width, c.width);
    ASSERT_EQ(tga.height, c.height);
    const int left = std::clamp(150 - c.width / 2, 0, 300 - c.width);
    const int top = std::min(std::max(100 - c.height / 2, 0), 200 - c.height);
    for (int y = std::max(0, -top); y < c.height; y += 7)
      for (int x = 0; x < c.width; x += 5)
        ASSERT_EQ(tga.At(x, y), PictureFiles::PatternPixel(left + x, top + y)) << x << "," << y;
  }
}

TEST_F(Form1SavingTest, ReplacingAFileIsAskedFirstAndNoLeavesItAsItWas) {
  using platform::vbNo;
  using platform::vbYes;
  const struct {
    const char* chosen;
    const char* file;
    bool jpeg;
    int32_t answer;
  } cases[] = {
      {"old", "old.tga", false, vbNo},     {"old", "old.tga", false, vbYes},
      {"old.tga", "old.tga", false, vbNo}, {"old.tga", "old.tga", false, vbYes},
      {"old.jpg", "old.jpg", true, vbNo},  {"old.jpg", "old.jpg", true, vbYes},
  };
  LoadAndSelect(PatternFile(300, 200));
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.chosen) + (c.answer == vbYes ? " yes" : " no"));
    WriteText(dir / c.file, "old picture");
    messages.Clear();
    messages.Answer(c.answer);
    const size_t callsBefore = dialogs.Calls().size();
    // After No the dialog comes back; this time it is cancelled.
    c.jpeg ? SaveJpeg(dir / c.chosen) : SaveTarga(dir / c.chosen);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].text,
              std::string(c.file) + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(messages.Messages()[0].style, 4 + 48 + 256);
    EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
    if (c.answer == vbNo) {
      EXPECT_EQ(Contents(dir / c.file), "old picture");
      ASSERT_EQ(dialogs.Calls().size(), callsBefore + 2);
      EXPECT_EQ(dialogs.LastCall().record.lpstrFile.substr(0, (dir / c.chosen).string().size()),
                (dir / c.chosen).string());
    } else {
      EXPECT_EQ(dialogs.Calls().size(), callsBefore + 1);
      EXPECT_NE(Contents(dir / c.file), "old picture");
    }
  }
  // A new name asks nothing.
  ExpectQuietCropSave("new");
}

TEST_F(Form1SavingTest, NoGoesBackToTheDialogWhereAnotherNameCanBeChosen) {
  LoadAndSelect(PatternFile(300, 200));
  WriteText(dir / "old.tga", "old picture");
  messages.Answer(platform::vbNo);
  dialogs.Choose((dir / "old").string());
  dialogs.Choose((dir / "other").string());
  form.Command6->click();
  EXPECT_EQ(Contents(dir / "old.tga"), "old picture");
  EXPECT_EQ(TargaFile::Read(dir / "other.tga").width, 128);
}

TEST_F(Form1SavingTest, AnotherPictureOpenedAfterACropIsNotSavedWithTheOldCrop) {
  LoadAndSelect(PatternFile(300, 200));
  Open(PatternFile(40, 30, "other.bmp"));
  ExpectEmptyResultSaved(40, 30);
}
