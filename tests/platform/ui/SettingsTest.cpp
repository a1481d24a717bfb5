#include "platform/ui/Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "platform/base/AppError.h"

namespace {

constexpr const char* kApp = "SettingsTestApp";

QSettings Store(const char* app) {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quarvel"), QString(app));
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
    Store(kApp).clear();
    Store("SettingsTestOther").clear();
  }
};

}  // namespace

TEST_F(SettingsTest, AnAbsentKeyReadsAsEmptyText) {
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "PhoneResX"), "");
}

TEST_F(SettingsTest, ValuesReadBackExactlyAsStored) {
  platform::SaveSetting(kApp, "Settings", "PhoneResX", " 12.50 ");
  platform::SaveSetting(kApp, "Settings", "Name", "Größe, 128");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "PhoneResX"), " 12.50 ");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "Name"), "Größe, 128");
  platform::SaveSetting(kApp, "Settings", "PhoneResX", "");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "PhoneResX"), "");
}

TEST_F(SettingsTest, ApplicationsSectionsAndKeysAreKeptApart) {
  platform::SaveSetting(kApp, "Settings", "PhoneResX", "240");
  EXPECT_EQ(platform::GetSetting("SettingsTestOther", "Settings", "PhoneResX"), "");
  EXPECT_EQ(platform::GetSetting(kApp, "Other", "PhoneResX"), "");
  EXPECT_EQ(platform::GetSetting(kApp, "Settings", "PhoneResY"), "");
}

TEST_F(SettingsTest, TheStoreIsAnIniFileOfTheOrganisationThatTestsCanRedirect) {
  platform::SaveSetting(kApp, "Settings", "PhoneResY", "320");
  QString file = Store(kApp).fileName();
  EXPECT_TRUE(file.endsWith("/Quarvel/SettingsTestApp.ini")) << file.toStdString();
  EXPECT_FALSE(file.startsWith(QDir::homePath())) << "the test run must never touch a home folder";
  QFile ini(file);
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  QByteArray content = ini.readAll();
  EXPECT_TRUE(content.contains("[Settings]"));
  EXPECT_TRUE(content.contains("PhoneResY=320"));
}

TEST_F(SettingsTest, AStoreThatCannotBeWrittenRaisesTheFileAccessError) {
  QString file = Store(kApp).fileName();
  QFile::remove(file);
  ASSERT_TRUE(QDir().mkpath(file));  // a folder where the file should go
  try {
    platform::SaveSetting(kApp, "Settings", "PhoneResX", "128");
    ADD_FAILURE() << "no error raised";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), platform::ErrorNumber::PathFileAccess);
  }
  QDir(file).removeRecursively();
}
