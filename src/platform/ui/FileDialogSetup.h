#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include "platform/ui/FileDialogRecord.h"

namespace platform {

// How a QFileDialog must be set up to answer an open or save record as the
// system dialogs would. Worked out without any window, so it can be checked
// on its own.
struct FileDialogSetup {
  bool save = false;
  QString title;
  QString directory;
  QString fileName;
  QStringList nameFilters;
  int selectedFilter = -1;  // into nameFilters, -1 when there are none
  QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
  QString defaultSuffix;

  static FileDialogSetup From(const OPENFILENAME& record, bool save);
  // Sets up a Qt-drawn dialog; name filters match regardless of letter case.
  void ApplyTo(QFileDialog& dialog) const;
  // The 1-based index of the filter the user left selected.
  uint32_t ChosenFilterIndex(const QFileDialog& dialog) const;
};

// A system wildcard ("*" and "?" only) as a Qt wildcard matching the same
// names; letter case is left to the dialog, which ignores it.
QString QtWildcard(const QString& pattern);
// The record's filter pairs as Qt name filters: the description followed by
// its patterns in parentheses, which the dialog keeps out of sight.
QStringList NameFilters(const std::optional<std::string>& filter);
// The extension to add to a typed name that has none; empty for none.
QString DefaultSuffix(const std::optional<std::string>& defaultExtension);

}  // namespace platform
