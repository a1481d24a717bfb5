#include "formats/FormatTable.h"

#include <algorithm>
#include <cctype>

namespace formats {
namespace {

using enum WriteOption;

const std::vector<FileFormat>& Table() {
  static const std::vector<FileFormat> table = {
      {FileKind::Targa, "tga", "Targa", "24-bit Targa", {".tga"}, false, true, {RunLength}, "Targa", "*.tga"},
      {FileKind::Jpeg,
       "jpg",
       "JPEG",
       "JPEG",
       {".jpg", ".jpeg"},
       true,
       true,
       {Quality, ByteBudget},
       "JPEG Files",
       "*.JPG"},
      {FileKind::Bmp, "bmp", "BMP", "BMP", {".bmp"}, true, false, {}, "BMP Files", "*.BMP"},
      {FileKind::Gif, "gif", "GIF", "GIF", {".gif"}, true, false, {}, "GIF Files", "*.GIF"},
      {FileKind::Png, "png", "PNG", "24-bit PNG, lossless", {".png"}, true, true, {}, "PNG Files", "*.PNG"},
  };
  return table;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

bool FileFormat::Takes(WriteOption option) const {
  return std::find(options.begin(), options.end(), option) != options.end();
}

std::span<const FileFormat> FormatTable::All() { return Table(); }

const FileFormat& FormatTable::Of(FileKind kind) {
  return *std::find_if(Table().begin(), Table().end(),
                       [kind](const FileFormat& f) { return f.kind == kind; });
}

bool FormatTable::EndsWith(std::string_view path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  return std::equal(extension.begin(), extension.end(), path.end() - static_cast<ptrdiff_t>(extension.size()),
                    [](char e, char c) { return e == Lower(c); });
}

const FileFormat* FormatTable::WrittenAs(std::string_view path) {
  for (const FileFormat& format : Table()) {
    if (!format.writes) continue;
    for (std::string_view extension : format.extensions) {
      if (EndsWith(path, extension)) return &format;
    }
  }
  return nullptr;
}

const FileFormat* FormatTable::Named(std::string_view name) {
  for (const FileFormat& format : Table()) {
    if (!format.writes) continue;
    for (std::string_view extension : format.extensions) {
      if (name.size() + 1 == extension.size() && EndsWith(std::string(".") + std::string(name), extension))
        return &format;
    }
  }
  return nullptr;
}

std::vector<const FileFormat*> FormatTable::Written() {
  std::vector<const FileFormat*> written;
  for (const FileFormat& format : Table())
    if (format.writes) written.push_back(&format);
  return written;
}

std::vector<const FileFormat*> FormatTable::Read() {
  std::vector<const FileFormat*> read;
  for (const FileFormat& format : Table())
    if (format.reads) read.push_back(&format);
  return read;
}

std::string_view FormatTable::OptionName(WriteOption option) {
  switch (option) {
    case Quality:
      return "--quality";
    case ByteBudget:
      return "--max-bytes";
    case RunLength:
      return "--rle";
  }
  return {};
}

std::string FormatTable::Joined(const std::vector<std::string>& words) {
  std::string joined;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) joined += i + 1 == words.size() ? " or " : ", ";
    joined += words[i];
  }
  return joined;
}

std::string FormatTable::WrongOption(WriteOption option) {
  std::vector<std::string> takers;
  for (const FileFormat* format : Written())
    if (format->Takes(option)) takers.emplace_back(format->title);
  return std::string(OptionName(option)) + " applies to " + Joined(takers) + " output only";
}

std::string FormatTable::WrittenExtensions() {
  std::vector<std::string> extensions;
  for (const FileFormat* format : Written())
    for (std::string_view extension : format->extensions) extensions.emplace_back(extension);
  return Joined(extensions);
}

std::string FormatTable::WrittenNames() {
  std::vector<std::string> names;
  for (const FileFormat* format : Written()) names.emplace_back(format->name);
  return Joined(names);
}

std::string FormatTable::WithExtension(const std::string& path, FileKind kind) {
  const FileFormat& format = Of(kind);
  for (std::string_view extension : format.extensions)
    if (EndsWith(path, extension)) return path;
  return path + std::string(format.DefaultExtension());
}

std::string FormatTable::OpenFilter() {
  std::string shown, patterns;
  for (const FileFormat* format : Read()) {
    shown += (shown.empty() ? "" : " ") + std::string(format->dialogPattern);
    patterns += (patterns.empty() ? "" : ";") + std::string(format->dialogPattern);
  }
  return "Images (" + shown + ")|" + patterns + "|All Files (*.*)|*.*";
}

std::string FormatTable::SaveFilter(FileKind kind, char separator) {
  const FileFormat& format = Of(kind);
  const std::string pattern(format.dialogPattern);
  return std::string(format.dialogTitle) + " (" + pattern + ")" + separator + pattern + separator;
}

}  // namespace formats
