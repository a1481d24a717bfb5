#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/Form1.h"
#include "app/WindowTestSupport.h"
#include "platform/ui/FileDialogDouble.h"
#include "support/pure/MessageRecorder.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

namespace {

class StartAndExitTest : public ::testing::Test {
 protected:
  void SetUp() override { EmptyStore(); }
  void TearDown() override {
    QDir(QuarvelStore().fileName()).removeRecursively();
    EmptyStore();
  }

  static void ExpectBoxesShow128(const Form1& form) {
    EXPECT_EQ(form.txtPhoneResX->Text(), "128");
    EXPECT_EQ(form.txtPhoneResY->Text(), "128");
    EXPECT_EQ(form.txtSelWidth->Text(), "128");
    EXPECT_EQ(form.txtSelHeight->Text(), "128");
  }

  MessageRecorder recorder;
};

}  // namespace

TEST_F(StartAndExitTest, AFirstRunStoresTheDefaultsShows128AndExitStoresTheBoxes) {
  Form1 form;
  EXPECT_EQ(platform::AppInfo::Title(), "Quarvel");
  EXPECT_EQ(Stored("PhoneResX"), "240");
  EXPECT_EQ(Stored("PhoneResY"), "320");
  ExpectBoxesShow128(form);
  EXPECT_TRUE(form.Option1->isChecked());
  EXPECT_FALSE(form.Option2->isChecked());

  form.show();
  form.Command5->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Stored("PhoneResX"), "128");
  EXPECT_EQ(Stored("PhoneResY"), "128");
  EXPECT_TRUE(recorder.Messages().empty());
}

TEST_F(StartAndExitTest, AStoredNonNumberIsLeftAloneAtStartAndReplacedAtExit) {
  platform::SaveSetting("Quarvel", "Settings", "PhoneResX", "abc");
  Form1 form;
  EXPECT_EQ(Stored("PhoneResX"), "abc") << "no default may replace a value that is there";
  EXPECT_EQ(Stored("PhoneResY"), "320");
  ExpectBoxesShow128(form);
  form.close();
  EXPECT_EQ(Stored("PhoneResX"), "128");
}

TEST_F(StartAndExitTest, ExitStoresThePhoneTextsExactlyAsTyped) {
  Form1 form;
  form.txtPhoneResX->SetText(" 240 ");
  form.txtPhoneResY->SetText("3.2e2");
  form.close();
  EXPECT_EQ(Stored("PhoneResX"), " 240 ");
  EXPECT_EQ(Stored("PhoneResY"), "3.2e2");
}

TEST_F(StartAndExitTest, ExitWithAPhoneTextThatIsNoNumberStoresNothingAndStillCloses) {
  platform::SaveSetting("Quarvel", "Settings", "PhoneResX", "300");
  platform::SaveSetting("Quarvel", "Settings", "PhoneResY", "400");
  for (auto [x, y] : {std::pair{"128", "12a"}, std::pair{"", "128"}, std::pair{"x", "y"}}) {
    SCOPED_TRACE(std::string(x) + " / " + y);
    Form1 form;
    form.show();
    form.txtPhoneResX->SetText(x);
    form.txtPhoneResY->SetText(y);
    form.Command5->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Stored("PhoneResX"), "300");
    EXPECT_EQ(Stored("PhoneResY"), "400");
  }
}

TEST_F(StartAndExitTest, AStoreThatCannotBeWrittenIsReportedWithoutStoppingStartOrExit) {
  QFile::remove(QuarvelStore().fileName());
  ASSERT_TRUE(QDir().mkpath(QuarvelStore().fileName()));
  Form1 form;
  ASSERT_EQ(recorder.Messages().size(), 1u);
  EXPECT_EQ(recorder.Messages()[0].text.rfind("Error 75: ", 0), 0u) << recorder.Messages()[0].text;
  EXPECT_EQ(recorder.Messages()[0].title, "Quarvel");
  ExpectBoxesShow128(form);
  EXPECT_TRUE(form.Option1->isChecked());

  form.show();
  form.Command5->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(recorder.Messages().size(), 2u);
}

TEST_F(StartAndExitTest, TheSizeOptionsWriteTheSelectionBoxes) {
  Form1 form;
  form.txtSelWidth->SetText("77");
  form.Option2->click();
  EXPECT_EQ(form.txtSelWidth->Text(), "256");
  EXPECT_EQ(form.txtSelHeight->Text(), "256");
  form.Option1->click();
  EXPECT_EQ(form.txtSelWidth->Text(), "128");
  EXPECT_EQ(form.txtSelHeight->Text(), "128");
  EXPECT_EQ(form.txtPhoneResX->Text(), "128") << "the phone boxes are not the size choice's business";
}

TEST_F(StartAndExitTest, AnOptionClickedAgainSetsItsSizeAgain) {
  Form1 form;
  form.Option2->click();
  form.txtSelWidth->SetText("256.0");
  ASSERT_TRUE(form.Option2->isChecked());
  form.Option2->click();
  EXPECT_EQ(form.txtSelWidth->Text(), "256");
  EXPECT_EQ(form.txtSelHeight->Text(), "256");
}

TEST_F(StartAndExitTest, TheOptionShownIsTheSizeTheBoxesHold) {
  const struct {
    const char* width;
    const char* height;
    bool shows128, shows256;
  } cases[] = {
      {"256", "256", false, true}, {"128", "128", true, false},   {"100", "128", false, false},
      {"256", "", false, false},   {" 256 ", "256", false, true},
  };
  Form1 form;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.width) + " x " + c.height);
    form.txtSelWidth->SetText(c.width);
    form.txtSelHeight->SetText(c.height);
    EXPECT_EQ(form.Option1->isChecked(), c.shows128);
    EXPECT_EQ(form.Option2->isChecked(), c.shows256);
  }
}

TEST_F(StartAndExitTest, TheSizeOptionAndTheFoldersUsedLastComeBackAtTheNextStart) {
  TempDir pictures, crops;
  PictureFiles::Save(PictureFiles::Pattern(20, 10), pictures / "p.bmp", "BMP");
  platform::FileDialogDouble dialogs;
  {
    Form1 form;
    form.Option2->click();
    form.OpenPicture((pictures / "p.bmp").string());
    form.Command3->click();
    form.picSource_Click();
    dialogs.Choose((crops / "map").string());
    form.Command6->click();
    form.close();
  }
  EXPECT_EQ(Stored("SizeOption"), "256");
  EXPECT_EQ(Stored("OpenFolder"), pictures.Path().string());
  EXPECT_EQ(Stored("SaveFolder"), crops.Path().string());

  Form1 form;
  EXPECT_TRUE(form.Option2->isChecked());
  EXPECT_EQ(form.txtSelWidth->Text(), "256");
  EXPECT_EQ(form.txtSelHeight->Text(), "256");
  EXPECT_EQ(form.txtPhoneResX->Text(), "128");
  form.Command1->click();
  EXPECT_EQ(dialogs.LastCall().record.lpstrInitialDir, pictures.Path().string());
  form.OpenPicture((pictures / "p.bmp").string());
  form.Command3->click();
  form.picSource_Click();
  form.Command6->click();
  EXPECT_EQ(dialogs.LastCall().record.lpstrInitialDir, crops.Path().string());
  form.cmdSave->click();
  EXPECT_EQ(dialogs.LastCall().record.lpstrInitialDir, crops.Path().string());
}
