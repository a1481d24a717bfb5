#include "platform/ui/FileDialogSetup.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileSystemModel>
#include <fstream>
#include <functional>
#include <string>

#include "support/pure/TempDir.h"

using namespace std::string_literals;
using platform::FileDialogSetup;
using platform::OPENFILENAME;

namespace {

const std::string kProgramFilter = "Images (*.JPG *.BMP *.GIF)\0*.JPG;*.BMP;*.GIF\0All Files (*.*)\0*.*\0\0"s;

OPENFILENAME OpenRecord(uint32_t flags) {
  OPENFILENAME record;
  record.lpstrFilter = kProgramFilter;
  record.nFilterIndex = 1;
  record.lpstrFile = std::string(260, '\0');
  record.nMaxFile = 260;
  record.Flags = flags;
  record.lpstrDefExt = "JPG";
  return record;
}

TEST(FileDialogFilters, SystemWildcardsBecomeQtWildcardsForTheSameNames) {
  EXPECT_EQ(platform::QtWildcard("*.JPG"), "*.JPG");
  EXPECT_EQ(platform::QtWildcard("photo?.*"), "photo?.*");
  // "*.*" also means names without any dot.
  EXPECT_EQ(platform::QtWildcard("*.*"), "*");
  EXPECT_EQ(platform::QtWildcard("[draft]*.tga"), "[[]draft[]]*.tga");
}

TEST(FileDialogFilters, PairsBecomeNameFiltersWithTheirPatternsInParentheses) {
  EXPECT_EQ(platform::NameFilters(kProgramFilter),
            QStringList({"Images (*.JPG *.BMP *.GIF) (*.JPG *.BMP *.GIF)", "All Files (*.*) (*)"}));
  EXPECT_EQ(platform::NameFilters("Targa (*.tga)\0*.tga\0\0"s), QStringList({"Targa (*.tga) (*.tga)"}));
  EXPECT_EQ(platform::NameFilters("Two\0 *.a ; *.b;\0\0"s), QStringList({"Two (*.a *.b)"}));
  // The colon-split form: the last text has no pattern left but keeps its place,
  // so positions still match the pairs.
  EXPECT_EQ(platform::NameFilters("Disk\0 all\0*.*\0\0"s), QStringList({"Disk (all)", "*.* ()"}));
  EXPECT_EQ(platform::NameFilters("\0*.a\0\0"s), QStringList());
  EXPECT_EQ(platform::NameFilters(std::nullopt), QStringList());
}

TEST(FileDialogFilters, TheDefaultExtensionIsASuffixWithoutItsDot) {
  EXPECT_EQ(platform::DefaultSuffix("JPG"), "JPG");
  EXPECT_EQ(platform::DefaultSuffix(".tga"), "tga");
  EXPECT_EQ(platform::DefaultSuffix(""), "");
  EXPECT_EQ(platform::DefaultSuffix(std::nullopt), "");
}

TEST(FileDialogSetup, FlagsChooseTheKindOfSelection) {
  using platform::OFN_ALLOWMULTISELECT;
  using platform::OFN_FILEMUSTEXIST;
  EXPECT_EQ(FileDialogSetup::From(OpenRecord(0), false).fileMode, QFileDialog::AnyFile);
  EXPECT_EQ(FileDialogSetup::From(OpenRecord(OFN_FILEMUSTEXIST), false).fileMode, QFileDialog::ExistingFile);
  EXPECT_EQ(FileDialogSetup::From(OpenRecord(OFN_ALLOWMULTISELECT), false).fileMode,
            QFileDialog::ExistingFiles);
  // The save dialog takes one name, existing or not, whatever it is asked.
  FileDialogSetup save = FileDialogSetup::From(OpenRecord(OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST), true);
  EXPECT_EQ(save.fileMode, QFileDialog::AnyFile);
}

TEST(FileDialogSetup, TextsAndTheFirstFilterComeFromTheRecord) {
  OPENFILENAME record = OpenRecord(0);
  EXPECT_EQ(FileDialogSetup::From(record, false).title, "Open");
  EXPECT_EQ(FileDialogSetup::From(record, true).title, "Save As");
  EXPECT_EQ(FileDialogSetup::From(record, false).selectedFilter, 0);
  EXPECT_EQ(FileDialogSetup::From(record, false).defaultSuffix, "JPG");

  record.lpstrTitle = "Save-Filename";
  record.lpstrInitialDir = "/pictures";
  record.lpstrFile = "/pictures/Grüße.jpg" + std::string(30, '\0');
  record.nFilterIndex = 2;
  FileDialogSetup setup = FileDialogSetup::From(record, true);
  EXPECT_EQ(setup.title, "Save-Filename");
  EXPECT_EQ(setup.directory, "/pictures");
  EXPECT_EQ(setup.fileName, QString::fromUtf8("/pictures/Grüße.jpg"));
  EXPECT_EQ(setup.selectedFilter, 1);

  for (uint32_t outside : {0u, 3u, 0xFFFFFFFFu}) {
    record.nFilterIndex = outside;
    EXPECT_EQ(FileDialogSetup::From(record, false).selectedFilter, 0) << outside;
  }
  record.lpstrFilter.reset();
  EXPECT_EQ(FileDialogSetup::From(record, false).selectedFilter, -1);
}

TEST(FileDialogSetup, TheStartingNameIsReadOnlyWithinTheDeclaredCapacity) {
  OPENFILENAME record = OpenRecord(0);
  record.lpstrFile = "abcdef";
  record.nMaxFile = 3;
  EXPECT_EQ(FileDialogSetup::From(record, false).fileName, "abc");
}

// Runs the event loop until the condition holds or a few seconds pass.
bool WaitFor(const std::function<bool()>& condition) {
  QDeadlineTimer deadline(5000);
  while (!condition() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return condition();
}

QStringList Listed(QFileSystemModel& model, const QString& folder) {
  QStringList names;
  QModelIndex root = model.index(folder);
  for (int row = 0; row < model.rowCount(root); ++row) {
    names << model.index(row, 0, root).data().toString();
  }
  names.sort();
  return names;
}

class QtFileDialogSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"photo.jpg", "PIC.JPG", "notes.txt", "README"}) {
      std::ofstream(folder / name) << "x";
    }
  }

  FileDialogSetup Setup(bool save) {
    OPENFILENAME record = OpenRecord(platform::OFN_FILEMUSTEXIST);
    record.lpstrInitialDir = folder.Path().string();
    return FileDialogSetup::From(record, save);
  }

  TempDir folder;
  QFileDialog dialog;
};

TEST_F(QtFileDialogSetup, PatternsMatchNamesInEitherCase) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  ASSERT_NE(model, nullptr);
  FileDialogSetup setup = Setup(false);
  setup.ApplyTo(dialog);
  QString path = QString::fromStdString(folder.Path().string());

  EXPECT_TRUE(WaitFor([&] {
    return Listed(*model, path) == QStringList({"PIC.JPG", "photo.jpg"});
  })) << Listed(*model, path).join(", ").toStdString();

  dialog.selectNameFilter(setup.nameFilters[1]);
  EXPECT_TRUE(WaitFor([&] { return Listed(*model, path).size() == 4; }))
      << Listed(*model, path).join(", ").toStdString();
  EXPECT_EQ(setup.ChosenFilterIndex(dialog), 2u);
}

TEST_F(QtFileDialogSetup, TheTypeListShowsDescriptionsOnly) {
  Setup(false).ApplyTo(dialog);
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->count(), 2);
  EXPECT_EQ(types->itemText(0), "Images (*.JPG *.BMP *.GIF)");
  EXPECT_EQ(types->itemText(1), "All Files (*.*)");
  EXPECT_EQ(Setup(false).ChosenFilterIndex(dialog), 1u);
}

TEST_F(QtFileDialogSetup, ATypedNameWithoutExtensionGetsTheDefaultOne) {
  Setup(true).ApplyTo(dialog);
  dialog.selectFile(QStringLiteral("crop"));
  ASSERT_EQ(dialog.selectedFiles().size(), 1);
  EXPECT_TRUE(dialog.selectedFiles()[0].endsWith(QStringLiteral("/crop.JPG")))
      << dialog.selectedFiles()[0].toStdString();

  dialog.selectFile(QStringLiteral("crop.png"));
  EXPECT_TRUE(dialog.selectedFiles()[0].endsWith(QStringLiteral("/crop.png")))
      << dialog.selectedFiles()[0].toStdString();
}

TEST_F(QtFileDialogSetup, ModeAndTitleAreSetAndTheDialogLeavesTheReplaceQuestionToItsCaller) {
  OPENFILENAME record = OpenRecord(platform::OFN_OVERWRITEPROMPT);
  FileDialogSetup save = FileDialogSetup::From(record, true);
  save.ApplyTo(dialog);
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog.windowTitle(), "Save As");
  EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));

  QFileDialog opener;
  Setup(false).ApplyTo(opener);
  EXPECT_EQ(opener.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(opener.fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(opener.windowTitle(), "Open");
}

}  // namespace
