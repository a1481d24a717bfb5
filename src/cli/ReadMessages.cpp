#include "cli/ReadMessages.h"

#include "cli/ErrorLine.h"
#include "core/ErrorWords.h"

namespace {

constexpr const char* kDamaged = "The picture is damaged: ";

}  // namespace

ReadMessages::ReadMessages(std::string picture) : picture_(std::move(picture)) {}

// A damaged picture can still be cut from what could be read: the line says how.
std::string ReadMessages::Failure(const std::exception& error) const {
  std::string words = ErrorWords::Opening(error);
  if (words.rfind(kDamaged, 0) == 0) words += "; --allow-damaged uses what could be read";
  return ErrorWords::Explained(ErrorLine::For(picture_, words), said_.Explanation());
}

void ReadMessages::Tell(const std::function<void(const std::string&)>& note) const {
  if (!platform::LibraryMessages::Verbose() || !note) return;
  for (const platform::LibraryMessages::Line& line : said_.Lines())
    note(ErrorLine::For(picture_, line.Full()));
}
