#include <QObject>
#include <tuple>

#include "app/Form1Fixture.h"
#include "formats/PictureDecoder.h"
#include "imaging/cDIBSection.h"
#include "platform/base/Screen.h"

namespace {

class Form1ResizingTest : public Form1Fixture {
 protected:
  std::string LoadPattern(int width, int height) {
    std::string path = PatternFile(width, height);
    Open(path);
    return path;
  }

  void SelectBlock() {
    form.Command3->click();
    form.picSource_MouseMove(0, 0, 150, 100);
    form.picSource_Click();
  }

  void Resize(const char* width, const char* height) {
    form.chkKeepProportion->setChecked(false);
    form.txtWidth->SetText(width);
    form.txtHeight->SetText(height);
    form.Command2->click();
  }

  // The picture file resampled on its own, away from the window.
  static std::unique_ptr<cDIBSection> Resampled(const std::string& path, int width, int height) {
    cDIBSection whole;
    whole.CreateFromPicture(*formats::LoadPicture(path));
    return whole.Resample(height, width);
  }

  void ExpectResultShows(const cDIBSection& expected) {
    const gdi::Bitmap& shown = form.picDest->Image();
    ASSERT_EQ(shown.Width(), expected.Width());
    ASSERT_EQ(shown.Height(), expected.Height());
    ASSERT_EQ(form.cDIB->Width(), expected.Width());
    ASSERT_EQ(form.cDIB->Height(), expected.Height());
    for (int y = 0; y < shown.Height(); ++y) {
      for (int x = 0; x < shown.Width(); ++x) {
        QRgb want = PictureFiles::PixelOf(*expected.hDib(), x, y);
        ASSERT_EQ(PictureFiles::PixelOf(shown, x, y), want) << x << "," << y;
        ASSERT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), want) << x << "," << y;
      }
    }
  }

  // What a refused resize must leave as it was.
  auto ResultState() {
    return std::make_tuple(form.cDIB.get(), form.cDIB ? form.cDIB->Width() : -1,
                           form.picDest->Image().Width(), form.picDest->Image().Height(),
                           form.picDest->Width(), form.cmdSave->isEnabled(), form.Width());
  }

  void ExpectOneWarning() {
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_FALSE(messages.Messages()[0].text.empty());
    EXPECT_EQ(messages.Messages()[0].style, 48);
    EXPECT_EQ(messages.Messages()[0].title, "Quarvel");
    messages.Clear();
  }

  // Refresh after a cancelled Open: the window holds a picture of 0 x 0.
  void LoadNothing() {
    dialogs.Cancel();
    form.Command1->click();
    form.cmdReload->click();
    messages.Clear();
    ASSERT_EQ(form.lblOrigWidth->text(), "0");
  }
};

}  // namespace

TEST_F(Form1ResizingTest, KeepProportionsFollowsThePicturesAspectRatio) {
  LoadPattern(400, 300);
  form.chkKeepProportion->setChecked(true);
  form.txtHeight->SetText("150");
  EXPECT_EQ(form.txtWidth->Text(), "200");
  form.txtWidth->SetText("100");
  EXPECT_EQ(form.txtHeight->Text(), "75");
  form.txtHeight->SetText("12.5");
  EXPECT_EQ(form.txtWidth->Text(), "16");
  EXPECT_EQ(form.txtHeight->Text(), "12.5");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1ResizingTest, LettersOrAnUntickedBoxRecomputeNothing) {
  LoadPattern(400, 300);
  form.chkKeepProportion->setChecked(true);
  form.txtHeight->SetText("150");
  form.txtHeight->SetText("abc");
  EXPECT_EQ(form.txtWidth->Text(), "200");
  form.txtWidth->SetText("");
  EXPECT_EQ(form.txtHeight->Text(), "abc");

  form.chkKeepProportion->setChecked(false);
  form.txtHeight->SetText("150");
  EXPECT_EQ(form.txtWidth->Text(), "");
  form.txtWidth->SetText("100");
  EXPECT_EQ(form.txtHeight->Text(), "150");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1ResizingTest, TheOtherBoxIsMarkedWithTheWritersNameOnlyWhileItChanges) {
  LoadPattern(400, 300);
  form.chkKeepProportion->setChecked(true);
  std::vector<std::string> widthTags, heightTags;
  QObject listening;
  QObject::connect(form.txtWidth, &QLineEdit::textChanged, &listening,
                   [&] { widthTags.push_back(form.txtWidth->Tag()); });
  QObject::connect(form.txtHeight, &QLineEdit::textChanged, &listening,
                   [&] { heightTags.push_back(form.txtHeight->Tag()); });
  form.txtHeight->SetText("150");
  form.txtWidth->SetText("100");
  EXPECT_EQ(widthTags, (std::vector<std::string>{"txtHeight", ""}));
  EXPECT_EQ(heightTags, (std::vector<std::string>{"", "txtWidth"}));
  EXPECT_EQ(form.txtWidth->Tag(), "");
  EXPECT_EQ(form.txtHeight->Tag(), "");
}

TEST_F(Form1ResizingTest, NumbersThePictureCantBeScaledByAreIgnoredWithoutAMessage) {
  LoadPattern(400, 300);
  form.chkKeepProportion->setChecked(true);
  form.txtWidth->SetText("128");
  form.txtHeight->SetText("10000000");
  EXPECT_EQ(form.txtWidth->Text(), "128");
  form.txtWidth->SetText("1e10");
  EXPECT_EQ(form.txtHeight->Text(), "10000000");
  EXPECT_EQ(form.txtWidth->Tag(), "");
  EXPECT_EQ(form.txtHeight->Tag(), "");

  LoadNothing();
  EXPECT_TRUE(form.chkKeepProportion->isChecked());
  form.txtHeight->SetText("100");
  EXPECT_EQ(form.txtWidth->Text(), "128");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1ResizingTest, TheLoadedSizeAsTargetChangesNothing) {
  LoadPattern(400, 300);
  auto before = ResultState();
  Resize("400", "300");
  EXPECT_EQ(ResultState(), before);
  EXPECT_FALSE(form.cmdSave->isEnabled());

  SelectBlock();
  before = ResultState();
  Resize("400.4", "300");
  EXPECT_EQ(ResultState(), before);
  EXPECT_TRUE(form.cmdSave->isEnabled());
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1ResizingTest, OnlyTheHeightDifferentStillResizes) {
  std::string path = LoadPattern(400, 300);
  Resize("400", "299");
  ExpectResultShows(*Resampled(path, 400, 299));
  EXPECT_TRUE(form.cmdSave->isEnabled());
}

TEST_F(Form1ResizingTest, AResizeShowsTheResultAloneAndFitsTheWindowToIt) {
  std::string path = LoadPattern(400, 300);
  float widthBefore = form.Width();
  Resize("200", "100");

  ExpectResultShows(*Resampled(path, 200, 100));
  EXPECT_FLOAT_EQ(form.picDest->Width(), 200 * platform::Screen::TwipsPerPixelX());
  EXPECT_FLOAT_EQ(form.picDest->Height(), 100 * platform::Screen::TwipsPerPixelY());
  EXPECT_TRUE(form.picDest->AutoRedraw());
  EXPECT_FLOAT_EQ(form.Width(), form.picDest->Left() + form.picDest->Width() + 250);
  EXPECT_LT(form.Width(), widthBefore);
  EXPECT_TRUE(form.cmdSave->isEnabled());

  EXPECT_EQ(form.picSource->Image().Width(), 400);
  EXPECT_EQ(form.picSource->Image().Height(), 300);
  for (int y = 0; y < 300; y += 13)
    for (int x = 0; x < 400; x += 11)
      ASSERT_EQ(PictureFiles::PixelOf(form.picSource->Image(), x, y), PictureFiles::PatternPixel(x, y));
  EXPECT_EQ(form.lblOrigWidth->text(), "400");
  EXPECT_EQ(form.lblOrigHeight->text(), "300");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1ResizingTest, EveryResizeStartsFromTheWholePicture) {
  std::string path = LoadPattern(400, 300);
  SelectBlock();
  Resize("200", "150");
  ExpectResultShows(*Resampled(path, 200, 150));
  Resize("90", "50");
  ExpectResultShows(*Resampled(path, 90, 50));
}

TEST_F(Form1ResizingTest, ResizesThatCantBeDoneSayWhyOnceAndChangeNothing) {
  form.Command2_Click();
  ExpectOneWarning();
  EXPECT_FALSE(form.cDIB);

  LoadPattern(300, 200);
  SelectBlock();
  const auto before = ResultState();
  const std::pair<const char*, const char*> refused[] = {
      {"abc", "100"}, {"100", ""}, {"0", "100"}, {"100", "-5"}, {"3000000000", "100"}, {"100000", "100000"}};
  for (const auto& [width, height] : refused) {
    Resize(width, height);
    ExpectOneWarning();
    EXPECT_EQ(ResultState(), before) << width << " x " << height;
  }

  LoadNothing();
  const auto empty = ResultState();
  Resize("100", "100");
  ExpectOneWarning();
  EXPECT_EQ(ResultState(), empty);
}

// A picture one pixel across has nothing to blend with; the message says so in words.
TEST_F(Form1ResizingTest, AResampleErrorIsReportedAndChangesNothing) {
  struct Case {
    int width, height;
    const char* reason;
  };
  for (const Case& c :
       {Case{1, 50, "A picture only 1 pixel wide can't be resized: there is no second column"},
        Case{50, 1, "A picture only 1 pixel high can't be resized: there is no second row"}}) {
    LoadPattern(c.width, c.height);
    const auto before = ResultState();
    Resize("10", "10");
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_NE(messages.Messages()[0].text.find(c.reason), std::string::npos) << messages.Messages()[0].text;
    ExpectOneWarning();
    EXPECT_EQ(ResultState(), before);
  }
}

TEST_F(Form1ResizingTest, ScreenDimensionsCopiesThePhoneSizeAsTyped) {
  LoadPattern(40, 30);
  form.txtPhoneResX->SetText("240");
  form.txtPhoneResY->SetText("320");
  form.Command4->click();
  EXPECT_EQ(form.txtSelWidth->Text(), "240");
  EXPECT_EQ(form.txtSelHeight->Text(), "320");
  form.txtPhoneResX->SetText("abc");
  form.txtPhoneResY->SetText("");
  form.Command4->click();
  EXPECT_EQ(form.txtSelWidth->Text(), "abc");
  EXPECT_EQ(form.txtSelHeight->Text(), "");
}
