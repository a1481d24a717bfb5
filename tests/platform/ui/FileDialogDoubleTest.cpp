#include "platform/ui/FileDialogDouble.h"

#include <gtest/gtest.h>

#include "platform/ui/FileDialogs.h"

using platform::FileDialogDouble;
using platform::OPENFILENAME;

namespace {

OPENFILENAME AskedRecord() {
  OPENFILENAME record;
  record.lStructSize = 76;
  record.hwndOwner = 0x12;
  record.lpstrFilter = std::string("A\0*.a\0B\0*.b\0\0\0", 14);
  record.nFilterIndex = 2;
  record.lpstrFile = "/start.a" + std::string(24, '\0');
  record.nMaxFile = 32;
  record.lpstrFileTitle = std::string(16, '\0');
  record.nMaxFileTitle = 16;
  record.lpstrInitialDir = "/pictures";
  record.lpstrTitle = "Choose";
  record.Flags = platform::OFN_FILEMUSTEXIST | platform::OFN_READONLY;
  record.lpstrDefExt = "a";
  return record;
}

TEST(FileDialogDouble, RecordsWhichDialogWasAskedWithEveryField) {
  FileDialogDouble dialogs;
  OPENFILENAME opened = AskedRecord();
  OPENFILENAME saved = AskedRecord();
  saved.lpstrTitle.reset();
  platform::GetOpenFileNameA(opened);
  platform::GetSaveFileNameA(saved);

  ASSERT_EQ(dialogs.Calls().size(), 2u);
  EXPECT_EQ(dialogs.Calls()[0].kind, FileDialogDouble::Kind::Open);
  EXPECT_EQ(dialogs.Calls()[0].record, AskedRecord());
  EXPECT_EQ(dialogs.Calls()[1].kind, FileDialogDouble::Kind::Save);
  EXPECT_EQ(dialogs.Calls()[1].record.lpstrTitle, std::nullopt);
}

TEST(FileDialogDouble, AnswersInTheOrderScriptedAndCancelsWhenTheScriptRunsOut) {
  FileDialogDouble dialogs;
  dialogs.Choose("/pictures/b.b", 1, platform::OFN_FILEMUSTEXIST);
  dialogs.Cancel();
  dialogs.Choose("/pictures/c.a");

  OPENFILENAME first = AskedRecord();
  ASSERT_EQ(platform::GetOpenFileNameA(first), 1);
  EXPECT_EQ(first.lpstrFile.substr(0, 14), std::string("/pictures/b.b\0", 14));
  EXPECT_EQ(first.nFilterIndex, 1u);
  EXPECT_EQ(first.Flags, platform::OFN_FILEMUSTEXIST);

  OPENFILENAME second = AskedRecord();
  EXPECT_EQ(platform::GetOpenFileNameA(second), 0);
  EXPECT_EQ(second, AskedRecord());

  // Left alone, the filter index and flags go back as they came.
  OPENFILENAME third = AskedRecord();
  ASSERT_EQ(platform::GetSaveFileNameA(third), 1);
  EXPECT_EQ(third.nFilterIndex, 2u);
  EXPECT_EQ(third.Flags, AskedRecord().Flags);
  EXPECT_EQ(*third.lpstrFileTitle, "c.a" + std::string(13, '\0'));

  OPENFILENAME unscripted = AskedRecord();
  EXPECT_EQ(platform::GetOpenFileNameA(unscripted), 0);
  EXPECT_EQ(dialogs.Calls().size(), 4u);
}

TEST(FileDialogDouble, TheInnermostInstalledDoubleAnswersUntilItGoes) {
  EXPECT_EQ(FileDialogDouble::Installed(), nullptr);
  FileDialogDouble outer;
  {
    FileDialogDouble inner;
    EXPECT_EQ(FileDialogDouble::Installed(), &inner);
    OPENFILENAME record = AskedRecord();
    platform::GetOpenFileNameA(record);
    EXPECT_EQ(inner.Calls().size(), 1u);
    EXPECT_TRUE(outer.Calls().empty());
  }
  EXPECT_EQ(FileDialogDouble::Installed(), &outer);
  EXPECT_THROW(outer.LastCall(), std::logic_error);
}

}  // namespace
