#include "support/pure/PillowImage.h"

#include <cstdio>
#include <sstream>

namespace {

constexpr const char* kScript =
    "import sys\n"
    "from PIL import Image\n"
    "im = Image.open(sys.argv[1])\n"
    "im.load()\n"
    "print(im.format, im.mode, im.width, im.height)\n"
    "sys.stdout.write(im.convert('RGB').tobytes().hex())\n";

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::optional<std::string> Output(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string output;
  char chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  if (pclose(pipe) != 0) return std::nullopt;
  return output;
}

}  // namespace

std::optional<PillowImage> PillowImage::Read(const std::string& path) {
  // Debian's own interpreter: python3-pil belongs to it, whatever python3 comes first on PATH.
  auto output = Output("/usr/bin/python3 -c " + Quoted(kScript) + " " + Quoted(path) + " 2>/dev/null");
  if (!output) return std::nullopt;
  std::istringstream in(*output);
  PillowImage image;
  std::string hex;
  in >> image.format >> image.mode >> image.width >> image.height >> hex;
  if (hex.size() != 6u * image.width * image.height) return std::nullopt;
  image.rgb.resize(hex.size() / 2);
  for (size_t i = 0; i < image.rgb.size(); ++i)
    image.rgb[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  return image;
}

bool PillowImage::Run(const std::string& script, const std::vector<std::string>& args) {
  std::string command = "/usr/bin/python3 -c " + Quoted("from PIL import Image\nimport sys\n" + script);
  for (const std::string& arg : args) command += " " + Quoted(arg);
  return Output(command + " 2>/dev/null").has_value();
}
