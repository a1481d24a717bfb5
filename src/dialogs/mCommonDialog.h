#pragma once

#include <cstdint>
#include <string>

// The open and save dialogs as plain functions. Filters come in the form
// "description|pattern|description|pattern"; patterns may list several
// wildcards separated by ";". Texts passed in must be shorter than 260
// characters; a longer FileName or FileTitle raises the invalid-argument error.
namespace mCommonDialog {

// Returns true when a file was chosen; the outputs are then filled, and
// cleared otherwise (FilterIndex -1).
bool ShowOpenDialog(std::string& FileName, std::string& FileTitle, bool FileMustExist, bool MultiSelect,
                    bool& ReadOnly, bool HideReadOnly, std::string& Filter, int32_t& FilterIndex,
                    const std::string& InitDir, const std::string& DlgTitle, const std::string& DefaultExt,
                    int32_t Owner, int32_t& Flags);

// As ShowOpenDialog, with the read-only box always hidden; a cancel leaves FilterIndex 0.
bool ShowSaveDialog(std::string& FileName, std::string& FileTitle, bool OverwritePrompt, std::string& Filter,
                    int32_t& FilterIndex, const std::string& InitDir, const std::string& DlgTitle,
                    const std::string& DefaultExt, int32_t Owner, int32_t& Flags);

// The text before the first NUL character.
std::string TrimAtNul(const std::string& buffer);
// The index-th description and pattern of a converted filter, joined by one
// NUL; empty when there is no such pair.
std::string LookUpFilter(const std::string& filter, int32_t index);
// "|" and ":" become NUL, and two NULs end the list.
std::string ConvertFilter(const std::string& filter);

int32_t OpenFlags(bool FileMustExist, bool MultiSelect, bool ReadOnly, bool HideReadOnly, int32_t Flags);
int32_t SaveFlags(bool OverwritePrompt, int32_t Flags);

}  // namespace mCommonDialog
