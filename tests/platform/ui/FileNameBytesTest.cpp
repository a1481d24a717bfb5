#include "platform/ui/FileNameBytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <fstream>

#include "support/pure/TempDir.h"

using platform::FileNameBytes;

// A dialog that reads a Latin-1 name as text gives U+FFFD for its byte; the
// file is found again by the one name in its folder that reads the same.
TEST(FileNameBytesTest, TextFromANameGivesBackTheBytesOfTheFileItNames) {
  TempDir dir;
  const std::string folder = dir.Path().string();
  std::ofstream(dir / "caf\xe9.jpg") << "x";
  const struct {
    std::string shown;
    std::string bytes;
  } cases[] = {
      {folder + "/caf\xe9.jpg", folder + "/caf\xe9.jpg"},
      {folder + "/Grüße.jpg", folder + "/Grüße.jpg"},
      {folder + "/gon\xe9.jpg", folder + "/gon\xef\xbf\xbd.jpg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const QString text = FileNameBytes::Shown(c.shown);
    EXPECT_EQ(FileNameBytes::Of(text), c.bytes);
  }
}
