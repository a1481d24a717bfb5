#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

// Every kind of picture file the program knows, in the order they are listed
// to users: the command line's help and checks, the manual, the shell's
// completion, the window's dialogs and the names of a batch's outputs all
// read them from the table below.
enum class FileKind { Targa, Jpeg, Bmp, Gif, Png };

// What a written file of a kind can be asked for on the command line.
enum class WriteOption { Quality, ByteBudget, RunLength };

struct FileFormat {
  FileKind kind;
  // What --format takes, and the kind's name in words ("Targa", "JPEG").
  std::string_view name;
  std::string_view title;
  // What --help says of a written file.
  std::string_view description;
  // Lower case with the dot, the default first.
  std::vector<std::string_view> extensions;
  // Read by a reader of the program's own, without the window's toolkit.
  bool reads;
  bool writes;
  std::vector<WriteOption> options;
  // The window's dialogs: "JPEG Files" and "*.JPG".
  std::string_view dialogTitle;
  std::string_view dialogPattern;

  std::string_view DefaultExtension() const { return extensions.front(); }
  bool Takes(WriteOption option) const;
  // The name of the dialog's default extension, "JPG".
  std::string_view DialogExtension() const { return dialogPattern.substr(2); }
};

class FormatTable {
 public:
  static std::span<const FileFormat> All();
  static const FileFormat& Of(FileKind kind);
  // The written kind a file name's extension names, in any case.
  static const FileFormat* WrittenAs(std::string_view path);
  // The written kind --format names: any of its extensions without the dot, in any case.
  static const FileFormat* Named(std::string_view name);
  static std::vector<const FileFormat*> Written();
  static std::vector<const FileFormat*> Read();

  // The command line's spelling of an option, "--quality".
  static std::string_view OptionName(WriteOption option);
  // "--rle applies to Targa output only", naming every kind that takes it.
  static std::string WrongOption(WriteOption option);
  // ".tga, .jpg, .jpeg or .png": every written extension.
  static std::string WrittenExtensions();
  // "tga, jpg or png": what --format takes.
  static std::string WrittenNames();
  // The path with the kind's default extension added unless it already ends in one of the kind's.
  static std::string WithExtension(const std::string& path, FileKind kind);

  // The open dialog's filter: "Images (*.JPG *.BMP ...)|*.JPG;*.BMP;...|All Files (*.*)|*.*".
  static std::string OpenFilter();
  // One kind's part of a save dialog's filter, each text followed by the
  // separator: "Targa (*.tga)", NUL, "*.tga", NUL for the dialog object.
  static std::string SaveFilter(FileKind kind, char separator);

 private:
  static bool EndsWith(std::string_view path, std::string_view extension);
  static std::string Joined(const std::vector<std::string>& words);
};

}  // namespace formats
