#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <string>

#include "platform/base/AppInfo.h"
#include "platform/ui/Settings.h"

// The settings store the main window uses, emptied before and after each test.
inline QSettings QuarvelStore() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quarvel"),
                   QStringLiteral("Quarvel"));
}

inline std::string Stored(const char* key) { return platform::GetSetting("Quarvel", "Settings", key); }

inline void EmptyStore() {
  QSettings store = QuarvelStore();
  store.clear();
  store.sync();
}

// Windows closed with delete-on-close go at the next pass of the event loop.
inline void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
