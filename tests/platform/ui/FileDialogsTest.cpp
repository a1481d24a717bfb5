#include "platform/ui/FileDialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <functional>
#include <string>

#include "platform/ui/WindowHandles.h"
#include "support/pure/TempDir.h"

using namespace std::string_literals;
using platform::OPENFILENAME;

namespace {

// Acts on the next file dialog that opens, as a user would. Any modal window
// still open after a few seconds is closed, so no test can hang on one.
class DialogUser {
 public:
  explicit DialogUser(std::function<void(QFileDialog&)> act) {
    QObject::connect(&poll_, &QTimer::timeout, [this, act] {
      if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        poll_.stop();
        act(*dialog);
      }
    });
    QObject::connect(&watchdog_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
      }
    });
    poll_.start(10);
    watchdog_.start(5000);
  }

 private:
  QTimer poll_;
  QTimer watchdog_;
};

void TypeAndAccept(QFileDialog& dialog, const QString& name) {
  dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
  // accept() is protected; the slot is what the dialog's Open/Save button triggers.
  QMetaObject::invokeMethod(&dialog, "accept");
}

std::string BeforeNul(const std::string& buffer) { return buffer.substr(0, buffer.find('\0')); }

class RealFileDialogs : public ::testing::Test {
 protected:
  OPENFILENAME Record(uint32_t flags) const {
    OPENFILENAME record;
    record.lStructSize = 76;
    record.lpstrFilter = "JPEG Files (*.JPG)\0*.JPG\0All Files (*.*)\0*.*\0\0"s;
    record.nFilterIndex = 1;
    record.lpstrFile = std::string(260, '\0');
    record.nMaxFile = 260;
    record.lpstrFileTitle = std::string(260, '\0');
    record.nMaxFileTitle = 260;
    record.lpstrInitialDir = folder.Path().string();
    record.Flags = flags;
    record.lpstrDefExt = "JPG";
    return record;
  }

  TempDir folder;
};

TEST_F(RealFileDialogs, ATypedSaveNameComesBackWithTheDefaultExtension) {
  OPENFILENAME record = Record(platform::OFN_OVERWRITEPROMPT | platform::OFN_HIDEREADONLY);
  QString title;
  DialogUser user([&](QFileDialog& dialog) {
    title = dialog.windowTitle();
    TypeAndAccept(dialog, QStringLiteral("crop"));
  });

  ASSERT_EQ(platform::GetSaveFileNameA(record), 1);
  EXPECT_EQ(title, "Save As");
  EXPECT_EQ(BeforeNul(record.lpstrFile), (folder / "crop.JPG").string());
  EXPECT_EQ(record.lpstrFile.size(), 260u);
  EXPECT_EQ(BeforeNul(*record.lpstrFileTitle), "crop.JPG");
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.Flags, platform::OFN_OVERWRITEPROMPT | platform::OFN_HIDEREADONLY);
}

TEST_F(RealFileDialogs, CancelReturnsZeroAndLeavesTheRecord) {
  OPENFILENAME record = Record(platform::OFN_FILEMUSTEXIST);
  DialogUser user([](QFileDialog& dialog) { dialog.reject(); });

  EXPECT_EQ(platform::GetOpenFileNameA(record), 0);
  EXPECT_EQ(record, Record(platform::OFN_FILEMUSTEXIST));
}

TEST_F(RealFileDialogs, OpenReportsTheChosenFilterAndKeepsTheReadOnlyFlag) {
  std::ofstream(folder / "Grüße.jpg") << "x";
  OPENFILENAME record = Record(platform::OFN_FILEMUSTEXIST | platform::OFN_READONLY);
  QWidget owner;
  record.hwndOwner = platform::WindowHandles::HandleOf(&owner);
  QWidget* parent = nullptr;
  DialogUser user([&](QFileDialog& dialog) {
    parent = dialog.parentWidget();
    dialog.selectNameFilter(dialog.nameFilters().at(1));
    TypeAndAccept(dialog, QString::fromUtf8("Grüße.jpg"));
  });

  ASSERT_EQ(platform::GetOpenFileNameA(record), 1);
  EXPECT_EQ(parent, &owner);
  EXPECT_EQ(BeforeNul(record.lpstrFile), (folder / "Grüße.jpg").string());
  EXPECT_EQ(record.nFilterIndex, 2u);
  EXPECT_EQ(record.Flags, platform::OFN_FILEMUSTEXIST | platform::OFN_READONLY);
}

}  // namespace
