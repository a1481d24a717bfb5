#include "dialogs/OpenSaveDLG.h"
#include "platform/base/AppInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/base/AppError.h"
#include "platform/ui/FileDialogDouble.h"
#include "platform/ui/FileDialogSetup.h"
#include "support/pure/TempDir.h"

using platform::FileDialogDouble;
using namespace std::string_literals;

namespace {

class OpenSaveDLGTest : public ::testing::Test {
 protected:
  const platform::OPENFILENAME& Asked() const { return dialogs.LastCall().record; }

  FileDialogDouble dialogs;
  OpenSaveDLG dlg;
};

TEST_F(OpenSaveDLGTest, ANewObjectShowsAPlainExplorerSaveDialog) {
  dlg.Show(1);

  ASSERT_EQ(dialogs.Calls().size(), 1u);
  EXPECT_EQ(dialogs.LastCall().kind, FileDialogDouble::Kind::Save);
  const platform::OPENFILENAME& record = Asked();
  EXPECT_EQ(record.lStructSize, 76u);
  EXPECT_EQ(record.hwndOwner, 0);
  EXPECT_EQ(record.Flags, 0x80200u);
  EXPECT_EQ(record.lpstrFilter, std::nullopt);
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.lpstrFile, std::string(255, '\0'));
  EXPECT_EQ(record.nMaxFile, 255u);
  EXPECT_EQ(record.lpstrFileTitle, std::string(255, '\0'));
  EXPECT_EQ(record.nMaxFileTitle, 255u);
  EXPECT_EQ(record.lpstrInitialDir, std::nullopt);
  EXPECT_EQ(record.lpstrTitle, std::nullopt);
  EXPECT_EQ(record.lpstrDefExt, std::nullopt);
}

TEST_F(OpenSaveDLGTest, FlagsFollowReadOnlyAndOldStyle) {
  struct Case {
    bool readOnly;
    bool oldStyle;
    uint32_t flags;
  };
  for (Case c : {Case{false, false, 0x80200}, Case{false, true, 0x200}, Case{true, false, 0x80001},
                 Case{true, true, 0x201}}) {
    OpenSaveDLG shown;
    shown.SetReadOnly(c.readOnly);
    shown.SetOldStyle(c.oldStyle);
    shown.Show(0);
    EXPECT_EQ(Asked().Flags, c.flags) << "read-only " << c.readOnly << ", old style " << c.oldStyle;
  }
}

TEST_F(OpenSaveDLGTest, ZeroShowsTheOpenDialogAndAnyOtherValueTheSaveDialog) {
  for (int32_t variante : {0, 1, -1, 2}) {
    dlg.Show(variante);
    EXPECT_EQ(dialogs.LastCall().kind,
              variante == 0 ? FileDialogDouble::Kind::Open : FileDialogDouble::Kind::Save)
        << "Variante " << variante;
  }
}

TEST_F(OpenSaveDLGTest, PropertiesReachTheRecord) {
  dlg.SetFilter("Targa (*.tga)\0*.tga\0"s);
  dlg.SetDialogTitle("Save-Filename");
  dlg.SetInitDir("/pictures");
  dlg.SetFileName("crop");
  dlg.SetOwner(0x40);
  dlg.Show(1);

  const platform::OPENFILENAME& record = Asked();
  EXPECT_EQ(record.lpstrFilter, "Targa (*.tga)\0*.tga\0\0"s);
  EXPECT_EQ(record.lpstrTitle, "Save-Filename");
  EXPECT_EQ(record.lpstrInitialDir, "/pictures");
  EXPECT_EQ(record.lpstrFile, "crop" + std::string(251, '\0'));
  EXPECT_EQ(record.hwndOwner, 0x40);
  // One entry in the type list, and it is the one selected.
  platform::FileDialogSetup setup = platform::FileDialogSetup::From(record, true);
  EXPECT_EQ(setup.nameFilters.size(), 1);
  EXPECT_EQ(setup.selectedFilter, 0);
}

TEST_F(OpenSaveDLGTest, TextPropertiesLoseOuterSpacesOnly) {
  dlg.SetInitDir("  /my pictures/new folder  ");
  dlg.SetFilter("  A\0*.a\0  "s);
  dlg.SetDialogTitle(" \tSave ");
  dlg.SetFileName("  a b.tga ");
  dlg.SetReturnPath(" /x/y z ");

  EXPECT_EQ(dlg.InitDir(), "/my pictures/new folder");
  EXPECT_EQ(dlg.Filter(), "A\0*.a\0"s);
  EXPECT_EQ(dlg.DialogTitle(), "\tSave");
  EXPECT_EQ(dlg.FileName(), "a b.tga");
  EXPECT_EQ(dlg.ReturnPath(), "/x/y z");
}

TEST_F(OpenSaveDLGTest, AChosenFileIsReturnedAsTypedAndFileNameStays) {
  dlg.SetFileName("start");
  dialogs.Choose("/pictures/shot");

  EXPECT_TRUE(dlg.Show(1));
  EXPECT_EQ(dlg.ReturnPath(), "/pictures/shot");
  EXPECT_EQ(dlg.FileName(), "start");
}

TEST_F(OpenSaveDLGTest, SeveralChosenFilesLeaveOnlyTheFolder) {
  dialogs.ChooseMany({"/pictures/a.jpg", "/pictures/b.jpg"});

  EXPECT_TRUE(dlg.Show(0));
  EXPECT_EQ(dlg.ReturnPath(), "/pictures");
}

TEST_F(OpenSaveDLGTest, CancelEmptiesReturnPathAndRaises18OnlyWhenAskedTo) {
  dlg.SetReturnPath("/earlier.tga");
  dialogs.Cancel();
  EXPECT_FALSE(dlg.Show(1));
  EXPECT_EQ(dlg.ReturnPath(), "");

  dlg.SetReturnPath("/earlier.tga");
  dlg.SetCancelError(true);
  dialogs.Cancel();
  try {
    dlg.Show(1);
    FAIL() << "a cancel with CancelError set raised nothing";
  } catch (const platform::AppError& error) {
    EXPECT_EQ(error.Number(), 18);
    // Raised with nothing of its own: the program as source, the standard text.
    EXPECT_EQ(error.Source(), platform::AppInfo::Title());
    EXPECT_EQ(error.Description(), "User interrupt occurred");
  }
  EXPECT_EQ(dlg.ReturnPath(), "");
}

TEST_F(OpenSaveDLGTest, AFailedDialogEndsAsACancel) {
  // A selection the 255-character buffer cannot hold.
  dialogs.Choose("/" + std::string(300, 'p'));
  dlg.SetReturnPath("/earlier.tga");
  EXPECT_FALSE(dlg.Show(1));
  EXPECT_EQ(dlg.ReturnPath(), "");
}

TEST_F(OpenSaveDLGTest, AFileNameTooLongForTheBufferIsRefusedBeforeTheDialog) {
  dlg.SetReturnPath("/earlier.tga");
  dlg.SetFileName(std::string(OpenSaveDLG::kFileBufferSize, 'n'));
  try {
    dlg.Show(1);
    FAIL() << "a name filling the whole buffer was accepted";
  } catch (const platform::AppError& error) {
    EXPECT_EQ(error.Number(), platform::ErrorNumber::InvalidArgument);
  }
  EXPECT_TRUE(dialogs.Calls().empty());
  EXPECT_EQ(dlg.ReturnPath(), "/earlier.tga");

  dlg.SetFileName(std::string(OpenSaveDLG::kFileBufferSize - 1, 'n'));
  dlg.Show(1);
  EXPECT_EQ(Asked().lpstrFile, std::string(OpenSaveDLG::kFileBufferSize - 1, 'n') + '\0');
  EXPECT_LE(Asked().nMaxFile, Asked().lpstrFile.size());
}

TEST_F(OpenSaveDLGTest, ShortFileNameGivesTheExistingPathOrNothing) {
  TempDir dir;
  std::string existing = (dir / "a picture.tga").string();
  std::ofstream(existing) << "x";

  dlg.SetShortFileName(true);
  dialogs.Choose(existing);
  dlg.Show(1);
  EXPECT_EQ(dlg.ReturnPath(), existing);

  dialogs.Choose((dir / "not yet.tga").string());
  dlg.Show(1);
  EXPECT_EQ(dlg.ReturnPath(), "");

  dlg.SetShortFileName(false);
  EXPECT_EQ(dlg.ReturnPath(), (dir / "not yet.tga").string());
}

}  // namespace
