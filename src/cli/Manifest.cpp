#include "cli/Manifest.h"

#include <nlohmann/json.hpp>

using Json = nlohmann::json;

namespace {

bool Blank(std::string_view text) { return text.find_first_not_of(" \t\r") == std::string_view::npos; }

// The parser's words without its own numbering of errors.
std::string Words(const std::exception& error) {
  std::string text = error.what();
  const size_t tag = text.rfind('[', 0) == 0 ? text.find("] ") : std::string::npos;
  return tag == std::string::npos ? text : text.substr(tag + 2);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A value option's text: a string, or a whole number written bare.
bool ValueText(const Json& value, std::string& text) {
  if (value.is_string()) {
    text = value.get<std::string>();
    return true;
  }
  if (value.is_number_integer()) {
    text = value.dump();
    return true;
  }
  return false;
}

}  // namespace

std::vector<ManifestLine> Manifest::Read(std::istream& in) {
  std::vector<ManifestLine> lines;
  std::string text;
  for (size_t number = 1; std::getline(in, text); ++number) {
    if (!Blank(text)) lines.push_back(Parse(number, text));
  }
  return lines;
}

ManifestLine Manifest::Parse(size_t number, std::string_view text) {
  ManifestLine line;
  line.number = number;
  Json object;
  try {
    object = Json::parse(text);
  } catch (const Json::exception& e) {
    line.refusal = "not a line of JSON: " + Words(e);
    return line;
  }
  if (!object.is_object()) {
    line.refusal =
        "not a JSON object, such as {\"input\": \"a.jpg\", \"size\": \"256\", \"region\": \"all\"}";
    return line;
  }
  // Every name is looked at, so a misspelt one fails the line instead of being dropped.
  for (const auto& [name, value] : object.items()) {
    if (name == "input") {
      if (!value.is_string() || value.get<std::string>().empty()) {
        line.refusal = "\"input\" needs a picture's file name";
        return line;
      }
      line.input = value.get<std::string>();
      continue;
    }
    bool takesValue = false, applies = false;
    const char* option = CommandLine::JobOption(name, takesValue, applies);
    if (!option) {
      line.refusal = "unknown name " + Quoted(name) + ": the names are crop's long options without --";
      return line;
    }
    if (!applies) {
      line.refusal = Quoted(name) + " holds for the whole run: give it on the command line";
      return line;
    }
    std::string textValue;
    if (takesValue && ValueText(value, textValue)) {
      line.options.values[option] = textValue;
    } else if (!takesValue && value.is_boolean()) {
      (value.get<bool>() ? line.options.flags : line.options.cleared).insert(option);
    } else {
      line.refusal = Quoted(name) + (takesValue ? " needs a text, such as \"256\"" : " is true or false");
      return line;
    }
  }
  if (line.input.empty()) {
    line.refusal = "the line names no \"input\"";
    return line;
  }
  line.options.positional = {line.input};
  return line;
}
