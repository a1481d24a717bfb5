#include <gtest/gtest.h>

#include <QImageReader>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

const std::filesystem::path kSource = QUARVEL_SOURCE_DIR;

std::map<std::string, std::string> DesktopEntry() {
  std::ifstream in(kSource / "resources" / "quarvel.desktop");
  std::map<std::string, std::string> keys;
  bool inEntry = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("[")) inEntry = line == "[Desktop Entry]";
    const size_t equals = line.find('=');
    if (inEntry && equals != std::string::npos) keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

}  // namespace

TEST(DesktopEntry, StartsTheInstalledProgramWithItsIconForPicturesItCanOpen) {
  std::map<std::string, std::string> entry = DesktopEntry();
  ASSERT_FALSE(entry.empty());
  EXPECT_EQ(entry["Type"], "Application");
  EXPECT_EQ(entry["Name"], "Quarvel");
  EXPECT_EQ(entry["Exec"], std::filesystem::path(QUARVEL_BINARY).filename().string() + " %f");
  // The name of the icons installed into the hicolor theme.
  EXPECT_TRUE(std::filesystem::exists(kSource / "resources" / "icons" / (entry["Icon"] + ".svg")));
  std::istringstream types(entry["MimeType"]);
  std::vector<std::string> offered;
  for (std::string type; std::getline(types, type, ';');) offered.push_back(type);
  EXPECT_EQ(offered, (std::vector<std::string>{"image/jpeg", "image/bmp", "image/gif"}));
  const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
  for (const std::string& type : offered)
    EXPECT_TRUE(readable.contains(QByteArray::fromStdString(type))) << type;
}
