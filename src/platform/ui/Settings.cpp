#include "platform/ui/Settings.h"

#include <QSettings>

#include "platform/base/AppError.h"

namespace platform {
namespace {

QString KeyPath(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

QSettings Store(const std::string& app) {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quarvel"),
                   QString::fromStdString(app));
}

}  // namespace

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key) {
  return Store(app).value(KeyPath(section, key)).toString().toStdString();
}

void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value) {
  QSettings store = Store(app);
  store.setValue(KeyPath(section, key), QString::fromStdString(value));
  store.sync();
  if (store.status() != QSettings::NoError) {
    throw AppError::WithDescription(ErrorNumber::PathFileAccess,
                                    "The settings could not be saved to " + store.fileName().toStdString());
  }
}

}  // namespace platform
