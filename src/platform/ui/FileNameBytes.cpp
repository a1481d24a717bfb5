#include "platform/ui/FileNameBytes.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <memory>

namespace platform {
namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

std::string Encoded(const QString& text) { return QFile::encodeName(text).toStdString(); }

}  // namespace

std::string FileNameBytes::Of(const QString& path) {
  std::string encoded = Encoded(path);
  if (!path.contains(QChar::ReplacementCharacter) || Exists(encoded)) return encoded;
  std::string resolved = path.startsWith(u'/') ? "/" : "";
  for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
    const std::string folder = resolved.empty() ? "." : resolved;
    std::string name =
        part.contains(QChar::ReplacementCharacter) ? FindInFolder(folder, part) : Encoded(part);
    if (!resolved.empty() && resolved.back() != '/') resolved += '/';
    resolved += name;
  }
  return resolved;
}

QString FileNameBytes::Shown(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// Two names that read alike leave the choice open: the text is kept, and names no file.
std::string FileNameBytes::FindInFolder(const std::string& folder, const QString& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
  std::string found;
  int matches = 0;
  while (dir) {
    const dirent* entry = readdir(dir.get());
    if (!entry) break;
    if (QFile::decodeName(entry->d_name) != name) continue;
    found = entry->d_name;
    ++matches;
  }
  return matches == 1 ? found : Encoded(name);
}

}  // namespace platform
