#include "cli/CommandLineTool.h"
#include "cli/ToolkitModule.h"

int main(int argc, char** argv) {
  if (CommandLineTool::Handles(argc, argv)) return CommandLineTool::Main(argc, argv);
  return ToolkitModule::RunWindow(argc, argv);
}
