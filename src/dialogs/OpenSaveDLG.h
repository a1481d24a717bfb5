#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The open and save dialogs behind properties: set what is needed, call Show,
// read ReturnPath. Text properties drop leading and trailing spaces when set.
// Filter holds description and pattern texts, each followed by one NUL.
class OpenSaveDLG {
 public:
  bool ShortFileName() const { return shortFileName_; }
  bool OldStyle() const { return oldStyle_; }
  void SetFilter(const std::string& sFilter);
  void SetInitDir(const std::string& sInitDir);
  void SetShortFileName(bool bShortFileName) { shortFileName_ = bShortFileName; }
  void SetReturnPath(const std::string& sReturnPath);
  void SetFileName(const std::string& sFileName);
  void SetOwner(int32_t lOwner) { owner_ = lOwner; }
  void SetReadOnly(bool bReadOnly) { readOnly_ = bReadOnly; }
  void SetOldStyle(bool bOldStyle) { oldStyle_ = bOldStyle; }
  void SetDialogTitle(const std::string& sDialogTitle);
  bool CancelError() const { return cancelError_; }
  void SetCancelError(bool bCancelError) { cancelError_ = bCancelError; }
  std::string Filter() const { return filter_.value_or(""); }
  std::string DialogTitle() const { return dialogTitle_.value_or(""); }
  std::string InitDir() const { return initDir_.value_or(""); }
  std::string FileName() const { return fileName_; }
  // With ShortFileName set: the short form of the path, empty when the path does not exist.
  std::string ReturnPath() const;
  int32_t Owner() const { return owner_; }

  // Variante 0 shows the open dialog, any other value the save dialog.
  // Returns true when a file was chosen. A cancel raises error 18 when
  // CancelError is set; a FileName too long for the file buffer raises the
  // invalid-argument error before any dialog opens.
  bool Show(int32_t Variante);

  // Characters the file buffer holds, its closing NUL included.
  static constexpr size_t kFileBufferSize = 255;

 private:
  static std::string GetShortPath(const std::string& sPath);
  uint32_t DialogFlags() const;

  bool shortFileName_ = false;
  bool oldStyle_ = false;
  // Text properties never set are handed to the dialog as null.
  std::optional<std::string> filter_;
  std::optional<std::string> initDir_;
  std::string returnPath_;
  std::string fileName_;
  int32_t owner_ = 0;
  bool readOnly_ = false;
  std::optional<std::string> dialogTitle_;
  bool cancelError_ = false;
};
