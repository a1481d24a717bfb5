#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The outcome of one run of the command-line mode.
struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;

  // The lines written to standard error.
  std::vector<std::string> ErrorLines() const;

  // In this process, on two workers.
  static ToolRun InProcess(const std::vector<std::string>& args);
  // The installed program's binary from this build, with no display in its
  // environment but the `display` given, started in `scratch`, where files
  // catch its output.
  static ToolRun Binary(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                        const std::string& display = "");
  static std::string ShellQuoted(const std::string& arg);
  // Any program, through the shell: `command` is run in `scratch` as it stands.
  static ToolRun Shell(const std::string& command, const std::filesystem::path& scratch);
  // The binary on a pseudo-terminal, as from an interactive shell: all it
  // prints lands in `err`, with the terminal's line ends.
  static ToolRun OnTerminal(const std::vector<std::string>& args, const std::filesystem::path& scratch);
};
