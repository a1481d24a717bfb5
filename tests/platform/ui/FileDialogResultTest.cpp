#include "platform/ui/FileDialogResult.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using platform::FileDialogChoice;
using platform::OPENFILENAME;
using platform::StoreChosenFiles;

namespace {

std::string BeforeNul(const std::string& buffer) { return buffer.substr(0, buffer.find('\0')); }

OPENFILENAME RecordWithBuffers(uint32_t fileSize, uint32_t titleSize, uint32_t flags = 0) {
  OPENFILENAME record;
  record.lpstrFile = std::string(fileSize, '\0');
  record.nMaxFile = fileSize;
  record.lpstrFileTitle = std::string(titleSize, '\0');
  record.nMaxFileTitle = titleSize;
  record.nFilterIndex = 1;
  record.Flags = flags;
  return record;
}

TEST(StoreChosenFiles, OnePathFillsTheBuffersIndexAndFlags) {
  OPENFILENAME record = RecordWithBuffers(20, 10);
  ASSERT_EQ(StoreChosenFiles(record, false, FileDialogChoice{{"/d/photo.jpg"}, 2, 0x1001}), 1);
  EXPECT_EQ(record.lpstrFile, "/d/photo.jpg" + std::string(8, '\0'));
  EXPECT_EQ(record.lpstrFileTitle, "photo.jpg\0"s);
  EXPECT_EQ(record.nFilterIndex, 2u);
  EXPECT_EQ(record.Flags, 0x1001u);
}

TEST(StoreChosenFiles, APathNeedsRoomForItsNulInTheSmallerOfBufferAndCapacity) {
  OPENFILENAME exact = RecordWithBuffers(8, 8);
  EXPECT_EQ(StoreChosenFiles(exact, true, FileDialogChoice{{"/d/a.jp"}, 1, 0}), 1);
  EXPECT_EQ(exact.lpstrFile, "/d/a.jp\0"s);

  OPENFILENAME tooShort = RecordWithBuffers(8, 8);
  OPENFILENAME before = tooShort;
  EXPECT_EQ(StoreChosenFiles(tooShort, true, FileDialogChoice{{"/d/a.jpg"}, 2, 0x1}), 0);
  EXPECT_EQ(tooShort, before);

  // A capacity larger than the buffer really is must not be trusted.
  OPENFILENAME overstated = RecordWithBuffers(8, 8);
  overstated.nMaxFile = 255;
  EXPECT_EQ(StoreChosenFiles(overstated, true, FileDialogChoice{{"/d/a.jpg"}, 1, 0}), 0);

  OPENFILENAME noPath = RecordWithBuffers(8, 8);
  EXPECT_EQ(StoreChosenFiles(noPath, true, FileDialogChoice{{}, 1, 0}), 0);
}

TEST(StoreChosenFiles, SeveralOpenedFilesAreListedAfterTheirFolder) {
  uint32_t multi = platform::OFN_ALLOWMULTISELECT;
  OPENFILENAME record = RecordWithBuffers(40, 10, multi);
  ASSERT_EQ(StoreChosenFiles(record, false, FileDialogChoice{{"/pics/a.jpg", "/pics/bb.gif"}, 1, multi}), 1);
  EXPECT_EQ(record.lpstrFile.substr(0, 22), "/pics\0a.jpg\0bb.gif\0\0"s + '\0' + '\0');
  EXPECT_EQ(record.lpstrFile.size(), 40u);
  EXPECT_EQ(record.lpstrFileTitle, std::string(10, '\0'));

  // The list needs its closing pair of NULs inside the buffer.
  OPENFILENAME tight = RecordWithBuffers(19, 10, multi);
  EXPECT_EQ(StoreChosenFiles(tight, false, FileDialogChoice{{"/pics/a.jpg", "/pics/bb.gif"}, 1, multi}), 0);
  OPENFILENAME fits = RecordWithBuffers(20, 10, multi);
  EXPECT_EQ(StoreChosenFiles(fits, false, FileDialogChoice{{"/pics/a.jpg", "/pics/bb.gif"}, 1, multi}), 1);

  // The save dialog and a single choice give a plain path.
  OPENFILENAME saved = RecordWithBuffers(40, 10, multi);
  ASSERT_EQ(StoreChosenFiles(saved, true, FileDialogChoice{{"/pics/a.jpg", "/pics/bb.gif"}, 1, multi}), 1);
  EXPECT_EQ(BeforeNul(saved.lpstrFile), "/pics/a.jpg");
  OPENFILENAME one = RecordWithBuffers(40, 10, multi);
  ASSERT_EQ(StoreChosenFiles(one, false, FileDialogChoice{{"/pics/a.jpg"}, 1, multi}), 1);
  EXPECT_EQ(one.lpstrFile.substr(0, 13), "/pics/a.jpg\0\0"s);
  EXPECT_EQ(BeforeNul(*one.lpstrFileTitle), "a.jpg");
}

TEST(StoreChosenFiles, TheTitleIsCutToFitWithoutSplittingACharacter) {
  // "Grüße.jpg" is 11 bytes; 5 fit before the NUL, and the fifth is half of "ß".
  OPENFILENAME record = RecordWithBuffers(40, 6);
  ASSERT_EQ(StoreChosenFiles(record, true, FileDialogChoice{{"/Bilder/Grüße.jpg"}, 1, 0}), 1);
  EXPECT_EQ(BeforeNul(record.lpstrFile), "/Bilder/Grüße.jpg");
  EXPECT_EQ(record.lpstrFileTitle, "Grü\0\0"s);

  OPENFILENAME noTitle = RecordWithBuffers(40, 0);
  noTitle.lpstrFileTitle.reset();
  EXPECT_EQ(StoreChosenFiles(noTitle, true, FileDialogChoice{{"/a.jpg"}, 1, 0}), 1);
  EXPECT_EQ(noTitle.lpstrFileTitle, std::nullopt);
}

}  // namespace
