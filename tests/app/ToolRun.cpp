#include "ToolRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/CommandLineTool.h"

namespace {

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Single quotes hold anything but a single quote, which closes, escapes and reopens.
std::string ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::vector<std::string> ToolRun::ErrorLines() const {
  std::vector<std::string> lines;
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

ToolRun ToolRun::InProcess(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  ToolRun run;
  run.status = CommandLineTool::Run(args, out, err, 2);
  run.out = out.str();
  run.err = err.str();
  return run;
}

ToolRun ToolRun::Binary(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                        const std::string& display) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
  if (!display.empty()) command += "DISPLAY=" + ShellQuoted(display) + " ";
  command += ShellQuoted(QUARVEL_BINARY);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  const auto outPath = scratch / "stdout.txt", errPath = scratch / "stderr.txt";
  command += " >" + ShellQuoted(outPath.string()) + " 2>" + ShellQuoted(errPath.string()) + " </dev/null";
  const int raw = std::system(command.c_str());
  ToolRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  return run;
}
