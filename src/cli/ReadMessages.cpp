#include "cli/ReadMessages.h"

#include "cli/ErrorLine.h"
#include "core/ErrorWords.h"

ReadMessages::ReadMessages(std::string picture) : picture_(std::move(picture)) {}

std::string ReadMessages::Failure(const std::exception& error) const {
  return ErrorWords::Explained(ErrorLine::For(picture_, ErrorWords::Opening(error)), said_.Explanation());
}

void ReadMessages::Tell(const std::function<void(const std::string&)>& note) const {
  if (!platform::LibraryMessages::Verbose() || !note) return;
  for (const platform::LibraryMessages::Line& line : said_.Lines())
    note(ErrorLine::For(picture_, line.Full()));
}
