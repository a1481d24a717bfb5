#include "cli/ToolRun.h"

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "cli/CommandLineTool.h"

namespace {

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
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

// Single quotes hold anything but a single quote, which closes, escapes and reopens.
std::string ToolRun::ShellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ToolRun ToolRun::Binary(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                        const std::string& display) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
  if (!display.empty()) command += "DISPLAY=" + ShellQuoted(display) + " ";
  command += ShellQuoted(QUARVEL_BINARY);
  for (const std::string& arg : args) command += " " + ShellQuoted(arg);
  return Shell(command, scratch);
}

ToolRun ToolRun::Shell(const std::string& command, const std::filesystem::path& scratch) {
  const auto outPath = scratch / "stdout.txt", errPath = scratch / "stderr.txt";
  const std::string line = "cd " + ShellQuoted(scratch.string()) + " && " + command + " >" +
                           ShellQuoted(outPath.string()) + " 2>" + ShellQuoted(errPath.string()) +
                           " </dev/null";
  const int raw = std::system(line.c_str());
  ToolRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = Slurp(outPath);
  run.err = Slurp(errPath);
  return run;
}

ToolRun ToolRun::OnTerminal(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
  std::vector<std::string> words = {QUARVEL_BINARY};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // Made before the fork: the child of a threaded process may only exec.
  std::vector<char*> envp;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view variable(*entry);
    const bool display = variable.starts_with("DISPLAY=") || variable.starts_with("WAYLAND_DISPLAY=") ||
                         variable.starts_with("QT_QPA_PLATFORM=");
    if (!display) envp.push_back(*entry);
  }
  envp.push_back(nullptr);
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    if (chdir(scratch.c_str()) == 0) execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ToolRun run;
  if (child < 0) return run;
  char buffer[4096];
  // Reading fails with EIO once the program has closed its side.
  for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) run.err.append(buffer, got);
  close(terminal);
  int raw = 0;
  waitpid(child, &raw, 0);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}
