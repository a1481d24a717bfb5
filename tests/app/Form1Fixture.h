#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>

#include "app/Form1.h"
#include "app/WindowTestSupport.h"
#include "platform/ui/FileDialogDouble.h"
#include "support/pure/MessageRecorder.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

// A main window with a scripted open dialog, recorded message boxes and a
// folder for picture files.
class Form1Fixture : public ::testing::Test {
 protected:
  void SetUp() override { EmptyStore(); }
  void TearDown() override { EmptyStore(); }

  // A BMP of the test pattern: lossless, so pixels can be compared exactly.
  std::string PatternFile(int width, int height, const std::string& name = "pattern.bmp") {
    std::filesystem::path path = dir / name;
    PictureFiles::Save(PictureFiles::Pattern(width, height), path, "BMP");
    return path.string();
  }

  void Open(const std::string& path) {
    dialogs.Choose(path);
    form.Command1->click();
  }

  TempDir dir;
  MessageRecorder messages;
  platform::FileDialogDouble dialogs;
  Form1 form;
};
