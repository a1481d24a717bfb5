#include "platform/ui/FileDialogSetup.h"

#include <QComboBox>
#include <QFile>

#include "platform/ui/FileDialogResult.h"

namespace platform {

namespace {

QString Text(const std::optional<std::string>& text) {
  return text ? QString::fromStdString(*text) : QString();
}

QString PatternList(const QString& patterns) {
  QStringList converted;
  for (const QString& pattern : patterns.split(u';')) {
    QString trimmed = pattern.trimmed();
    if (!trimmed.isEmpty()) {
      converted << QtWildcard(trimmed);
    }
  }
  return converted.join(u' ');
}

QString InitialFileName(const OPENFILENAME& record) {
  std::string buffer = record.lpstrFile.substr(0, BufferCapacity(record.lpstrFile, record.nMaxFile));
  return QFile::decodeName(QByteArray::fromStdString(buffer.substr(0, buffer.find('\0'))));
}

QFileDialog::FileMode FileModeFor(uint32_t flags, bool save) {
  if (save) {
    return QFileDialog::AnyFile;
  }
  if (flags & OFN_ALLOWMULTISELECT) {
    return QFileDialog::ExistingFiles;
  }
  return (flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

int FirstSelection(uint32_t filterIndex, qsizetype filterCount) {
  if (filterCount == 0) {
    return -1;
  }
  return filterIndex >= 1 && filterIndex <= filterCount ? static_cast<int>(filterIndex) - 1 : 0;
}

}  // namespace

QString QtWildcard(const QString& pattern) {
  // "*.*" takes names without a dot too.
  if (pattern == u"*.*") {
    return QStringLiteral("*");
  }
  QString converted;
  for (QChar c : pattern) {
    // Qt reads a bracket as a character set; the system dialogs read it literally.
    converted += (c == u'[' || c == u']') ? QStringLiteral("[%1]").arg(c) : QString(c);
  }
  return converted;
}

QStringList NameFilters(const std::optional<std::string>& filter) {
  QStringList filters;
  if (!filter) {
    return filters;
  }
  QStringList texts = QString::fromStdString(*filter).split(QChar(0));
  // An empty description ends the list. A pair without patterns keeps its
  // place, so the chosen position still names the right pair.
  for (qsizetype i = 0; i + 1 < texts.size() && !texts[i].isEmpty(); i += 2) {
    filters << QStringLiteral("%1 (%2)").arg(texts[i], PatternList(texts[i + 1]));
  }
  return filters;
}

QString DefaultSuffix(const std::optional<std::string>& defaultExtension) {
  QString suffix = Text(defaultExtension).trimmed();
  while (suffix.startsWith(u'.')) {
    suffix.remove(0, 1);
  }
  return suffix;
}

FileDialogSetup FileDialogSetup::From(const OPENFILENAME& record, bool save) {
  FileDialogSetup setup;
  setup.save = save;
  setup.title = Text(record.lpstrTitle);
  if (setup.title.isEmpty()) {
    setup.title = save ? QStringLiteral("Save As") : QStringLiteral("Open");
  }
  setup.directory = record.lpstrInitialDir
                        ? QFile::decodeName(QByteArray::fromStdString(*record.lpstrInitialDir))
                        : QString();
  setup.fileName = InitialFileName(record);
  setup.nameFilters = NameFilters(record.lpstrFilter);
  setup.selectedFilter = FirstSelection(record.nFilterIndex, setup.nameFilters.size());
  setup.fileMode = FileModeFor(record.Flags, save);
  setup.defaultSuffix = DefaultSuffix(record.lpstrDefExt);
  return setup;
}

void FileDialogSetup::ApplyTo(QFileDialog& dialog) const {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // The caller asks before replacing a file, with the question every save shares.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(fileMode);
  dialog.setWindowTitle(title);
  dialog.setDefaultSuffix(defaultSuffix);
  if (!directory.isEmpty()) {
    dialog.setDirectory(directory);
  }
  dialog.setNameFilters(nameFilters);
  if (selectedFilter >= 0) {
    dialog.selectNameFilter(nameFilters[selectedFilter]);
  }
  if (!fileName.isEmpty()) {
    dialog.selectFile(fileName);
  }
}

uint32_t FileDialogSetup::ChosenFilterIndex(const QFileDialog& dialog) const {
  // The dialog names its filters only without their patterns, which need not
  // be unique; its type list knows the position.
  const auto* types = dialog.findChild<const QComboBox*>(QStringLiteral("fileTypeCombo"));
  int chosen = types != nullptr && !nameFilters.isEmpty() ? types->currentIndex() : selectedFilter;
  return chosen >= 0 ? static_cast<uint32_t>(chosen) + 1 : 0;
}

}  // namespace platform
