#include "platform/ui/FileDialogs.h"

#include <QApplication>
#include <QFileDialog>

#include "platform/ui/FileDialogDouble.h"
#include "platform/ui/FileDialogResult.h"
#include "platform/ui/FileDialogSetup.h"
#include "platform/ui/FileNameBytes.h"
#include "platform/ui/ReplaceQuestion.h"
#include "platform/ui/WindowHandles.h"

namespace platform {

namespace {

std::vector<std::string> ChosenPaths(const QFileDialog& dialog) {
  std::vector<std::string> paths;
  for (const QString& path : dialog.selectedFiles()) {
    paths.push_back(FileNameBytes::Of(path));
  }
  return paths;
}

int RunQtDialog(OPENFILENAME& record, bool save) {
  // Without a widget application there is nothing to show a dialog with.
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    return 0;
  }
  FileDialogSetup setup = FileDialogSetup::From(record, save);
  QFileDialog dialog(WindowHandles::WidgetOf(record.hwndOwner));
  setup.ApplyTo(dialog);
  if (dialog.exec() != QDialog::Accepted) {
    return 0;
  }
  // There is no read-only box: OFN_READONLY goes back as it came.
  FileDialogChoice choice{ChosenPaths(dialog), setup.ChosenFilterIndex(dialog), record.Flags};
  return StoreChosenFiles(record, save, choice);
}

int RunOnce(OPENFILENAME& record, bool save) {
  if (FileDialogDouble* standIn = FileDialogDouble::Installed()) {
    return standIn->Answer(save ? FileDialogDouble::Kind::Save : FileDialogDouble::Kind::Open, record);
  }
  return RunQtDialog(record, save);
}

// The replace question is ours rather than the dialog's, so every save asks
// it alike: No goes back to the dialog, showing the name chosen.
int RunFileDialog(OPENFILENAME& record, bool save) {
  const bool ask = save && (record.Flags & OFN_OVERWRITEPROMPT) != 0;
  OPENFILENAME attempt = record;
  for (;;) {
    if (RunOnce(attempt, save) != 1) return 0;
    if (!ask || ReplaceQuestion::Allows(attempt.lpstrFile.substr(0, attempt.lpstrFile.find('\0')))) break;
  }
  record = attempt;
  return 1;
}

}  // namespace

int GetOpenFileNameA(OPENFILENAME& record) { return RunFileDialog(record, false); }

int GetSaveFileNameA(OPENFILENAME& record) { return RunFileDialog(record, true); }

}  // namespace platform
