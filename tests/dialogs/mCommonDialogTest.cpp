#include "dialogs/mCommonDialog.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/AppError.h"
#include "platform/ui/FileDialogDouble.h"

using platform::FileDialogDouble;
using namespace std::string_literals;

namespace {

const std::string kOpenFilter = "Images (*.JPG *.BMP *.GIF)|*.JPG;*.BMP;*.GIF|All Files (*.*)|*.*";

// The arguments of one open call, set up as the window's Open passes them.
struct OpenCall {
  std::string FileName;
  std::string FileTitle;
  bool FileMustExist = true;
  bool MultiSelect = false;
  bool ReadOnly = false;
  bool HideReadOnly = false;
  std::string Filter = kOpenFilter;
  int32_t FilterIndex = 1;
  std::string InitDir;
  std::string DlgTitle;
  std::string DefaultExt = "JPG";
  int32_t Owner = 0x40;
  int32_t Flags = 0;

  bool Run() {
    return mCommonDialog::ShowOpenDialog(FileName, FileTitle, FileMustExist, MultiSelect, ReadOnly,
                                         HideReadOnly, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt,
                                         Owner, Flags);
  }
};

// The arguments of one save call, as the window's JPEG save passes them.
struct SaveCall {
  std::string FileName;
  std::string FileTitle;
  bool OverwritePrompt = true;
  std::string Filter = "JPEG Files (*.JPG)|*.JPG|All Files (*.*)|*.*";
  int32_t FilterIndex = 1;
  std::string InitDir;
  std::string DlgTitle;
  std::string DefaultExt = "JPG";
  int32_t Owner = 0x40;
  int32_t Flags = 0;

  bool Run() {
    return mCommonDialog::ShowSaveDialog(FileName, FileTitle, OverwritePrompt, Filter, FilterIndex, InitDir,
                                         DlgTitle, DefaultExt, Owner, Flags);
  }
};

TEST(CommonDialogFilter, BarsAndColonsBecomeNulAndTwoNulsEndTheList) {
  EXPECT_EQ(mCommonDialog::ConvertFilter("A|*.a"), "A\0*.a\0\0"s);
  // A colon splits a description, so every later text moves one place on.
  EXPECT_EQ(mCommonDialog::ConvertFilter("Disk: all|*.*"), "Disk\0 all\0*.*\0\0"s);
  EXPECT_EQ(mCommonDialog::ConvertFilter(""), "\0\0"s);
}

TEST(CommonDialogFilter, LookUpFilterFindsEachPairAndNothingBeyond) {
  std::string converted = mCommonDialog::ConvertFilter(kOpenFilter);
  EXPECT_EQ(mCommonDialog::LookUpFilter(converted, 1), "Images (*.JPG *.BMP *.GIF)\0*.JPG;*.BMP;*.GIF"s);
  EXPECT_EQ(mCommonDialog::LookUpFilter(converted, 2), "All Files (*.*)\0*.*"s);
  EXPECT_EQ(mCommonDialog::LookUpFilter(converted, 3), "");
  EXPECT_EQ(mCommonDialog::LookUpFilter(converted, 0), "");
  EXPECT_EQ(mCommonDialog::LookUpFilter(converted, -1), "");
  EXPECT_EQ(mCommonDialog::LookUpFilter("", 1), "");
  EXPECT_EQ(mCommonDialog::LookUpFilter("no separator", 1), "");
  // A last pattern without its NUL runs to the end of the text.
  EXPECT_EQ(mCommonDialog::LookUpFilter("A\0*.a"s, 1), "A\0*.a"s);
  // A pair may have an empty description.
  EXPECT_EQ(mCommonDialog::LookUpFilter(mCommonDialog::ConvertFilter("|*.x|B|*.b"), 1), "\0*.x"s);
  EXPECT_EQ(mCommonDialog::LookUpFilter(mCommonDialog::ConvertFilter("|*.x|B|*.b"), 2), "B\0*.b"s);
  EXPECT_EQ(mCommonDialog::LookUpFilter(mCommonDialog::ConvertFilter("Disk: all|*.*"), 1), "Disk\0 all"s);
}

TEST(CommonDialogFilter, TrimAtNulKeepsTheTextBeforeTheFirstNul) {
  EXPECT_EQ(mCommonDialog::TrimAtNul("/a/b.jpg\0\0\0"s), "/a/b.jpg");
  EXPECT_EQ(mCommonDialog::TrimAtNul("/dir\0a.jpg\0b.jpg\0\0"s), "/dir");
  EXPECT_EQ(mCommonDialog::TrimAtNul("no nul"), "no nul");
  EXPECT_EQ(mCommonDialog::TrimAtNul("\0tail"s), "");
}

TEST(CommonDialogFlags, HookAndTemplateBitsAreDroppedAndOthersPassThrough) {
  EXPECT_EQ(mCommonDialog::OpenFlags(false, false, false, false, 0x60 | 0x8), 0x8);
  EXPECT_EQ(mCommonDialog::OpenFlags(true, true, true, true, 0), 0x1000 | 0x200 | 0x1 | 0x4);
  EXPECT_EQ(mCommonDialog::OpenFlags(true, false, false, false, 0), 0x1000);
  EXPECT_EQ(mCommonDialog::SaveFlags(false, 0x60 | 0x8), 0x8 | 0x4);
  EXPECT_EQ(mCommonDialog::SaveFlags(true, 0), 0x6);
}

class CommonDialogTest : public ::testing::Test {
 protected:
  FileDialogDouble dialogs;
};

TEST_F(CommonDialogTest, OpenHandsTheRecordOverAsTheProgramFillsIt) {
  OpenCall call;
  call.FileName = "/pictures/last.jpg";
  call.Run();

  const FileDialogDouble::Call& asked = dialogs.LastCall();
  EXPECT_EQ(asked.kind, FileDialogDouble::Kind::Open);
  const platform::OPENFILENAME& record = asked.record;
  EXPECT_EQ(record.lStructSize, 76u);
  EXPECT_EQ(record.hwndOwner, 0x40);
  EXPECT_EQ(record.Flags, 0x1000u);
  EXPECT_EQ(record.lpstrFilter, mCommonDialog::ConvertFilter(kOpenFilter));
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.lpstrFile, "/pictures/last.jpg" + std::string(260 - 18, '\0'));
  EXPECT_EQ(record.nMaxFile, 260u);
  EXPECT_EQ(record.lpstrFileTitle, std::string(260, '\0'));
  EXPECT_EQ(record.nMaxFileTitle, 260u);
  EXPECT_EQ(record.lpstrInitialDir, std::nullopt);
  EXPECT_EQ(record.lpstrTitle, std::nullopt);
  EXPECT_EQ(record.lpstrDefExt, "JPG");
}

TEST_F(CommonDialogTest, OwnerMinusOneMeansNoOwnerAndTextsArePassedWhenGiven) {
  OpenCall call;
  call.Owner = -1;
  call.InitDir = "/pictures";
  call.DlgTitle = "Pick one";
  call.DefaultExt = "";
  call.Run();

  const platform::OPENFILENAME& record = dialogs.LastCall().record;
  EXPECT_EQ(record.hwndOwner, 0);
  EXPECT_EQ(record.lpstrInitialDir, "/pictures");
  EXPECT_EQ(record.lpstrTitle, "Pick one");
  EXPECT_EQ(record.lpstrDefExt, std::nullopt);
}

TEST_F(CommonDialogTest, OpenChoosingTheSecondFilterReportsThatPair) {
  dialogs.Choose("/pictures/notes", 2, 0x1000 | 0x800);
  OpenCall call;
  call.FileTitle = "old title";

  EXPECT_TRUE(call.Run());
  EXPECT_EQ(call.FileName, "/pictures/notes");
  EXPECT_EQ(call.FileTitle, "notes");
  EXPECT_EQ(call.FilterIndex, 2);
  EXPECT_EQ(call.Filter, "All Files (*.*)\0*.*"s);
  EXPECT_EQ(call.Flags, 0x1000 | 0x800);
  EXPECT_FALSE(call.ReadOnly);
}

TEST_F(CommonDialogTest, ReadOnlyComesBackTrueWhenTheDialogReportsItAndIsNeverCleared) {
  OpenCall ticked;
  dialogs.Choose("/pictures/a.jpg", std::nullopt, 0x1000 | 0x1);
  EXPECT_TRUE(ticked.Run());
  EXPECT_TRUE(ticked.ReadOnly);
  EXPECT_EQ(ticked.Flags & 0x1, 0x1);

  OpenCall unticked;
  unticked.ReadOnly = true;
  dialogs.Choose("/pictures/a.jpg", std::nullopt, 0x1000);
  EXPECT_TRUE(unticked.Run());
  EXPECT_TRUE(unticked.ReadOnly);
}

TEST_F(CommonDialogTest, CancelledOpenClearsEveryOutputAndReportsIndexMinusOne) {
  dialogs.Cancel();
  OpenCall call;
  call.FileName = "/pictures/last.jpg";
  call.FileTitle = "last.jpg";
  call.ReadOnly = true;
  call.Flags = 0x8;

  EXPECT_FALSE(call.Run());
  EXPECT_EQ(call.FileName, "");
  EXPECT_EQ(call.FileTitle, "");
  EXPECT_EQ(call.Filter, "");
  EXPECT_EQ(call.FilterIndex, -1);
  EXPECT_EQ(call.Flags, 0);
  EXPECT_TRUE(call.ReadOnly);
}

TEST_F(CommonDialogTest, CancelledSaveClearsEveryOutputAndReportsIndexZero) {
  dialogs.Cancel();
  SaveCall call;
  call.FileName = "/pictures/out.jpg";
  call.Flags = 0x8;

  EXPECT_FALSE(call.Run());
  EXPECT_EQ(call.FileName, "");
  EXPECT_EQ(call.FileTitle, "");
  EXPECT_EQ(call.Filter, "");
  EXPECT_EQ(call.FilterIndex, 0);
  EXPECT_EQ(call.Flags, 0);
}

TEST_F(CommonDialogTest, SaveAsksTheSaveDialogWithThePromptAndTheBoxHidden) {
  dialogs.Choose("/pictures/out.JPG");
  SaveCall call;

  EXPECT_TRUE(call.Run());
  EXPECT_EQ(dialogs.LastCall().kind, FileDialogDouble::Kind::Save);
  EXPECT_EQ(dialogs.LastCall().record.Flags, 0x6u);
  EXPECT_EQ(call.FileName, "/pictures/out.JPG");
  EXPECT_EQ(call.FileTitle, "out.JPG");
  EXPECT_EQ(call.FilterIndex, 1);
  EXPECT_EQ(call.Filter, "JPEG Files (*.JPG)\0*.JPG"s);
  EXPECT_EQ(call.Flags, 0x6);
}

TEST_F(CommonDialogTest, APathFillingTheBufferComesBackWholeAndALongerOneFails) {
  std::string longest = "/" + std::string(253, 'd') + "/a.jp";
  ASSERT_EQ(longest.size(), 259u);
  dialogs.Choose(longest);
  OpenCall fits;
  EXPECT_TRUE(fits.Run());
  EXPECT_EQ(fits.FileName, longest);

  dialogs.Choose(longest + "g");
  OpenCall tooLong;
  EXPECT_FALSE(tooLong.Run());
  EXPECT_EQ(tooLong.FileName, "");
  EXPECT_EQ(tooLong.FilterIndex, -1);
}

TEST_F(CommonDialogTest, AStartingNameWithoutRoomForItsNulIsAnInvalidArgument) {
  OpenCall longest;
  longest.FileName = std::string(259, 'n');
  longest.Run();
  EXPECT_EQ(dialogs.LastCall().record.lpstrFile, std::string(259, 'n') + '\0');

  OpenCall call;
  call.FileName = std::string(260, 'n');
  try {
    call.Run();
    FAIL() << "a 260-character name was accepted";
  } catch (const platform::AppError& error) {
    EXPECT_EQ(error.Number(), platform::ErrorNumber::InvalidArgument);
  }
  EXPECT_EQ(dialogs.Calls().size(), 1u);
  EXPECT_EQ(call.FileName, std::string(260, 'n'));

  SaveCall save;
  save.FileTitle = std::string(300, 't');
  EXPECT_THROW(save.Run(), platform::AppError);
  EXPECT_EQ(dialogs.Calls().size(), 1u);
}

}  // namespace
