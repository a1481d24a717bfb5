#include "cli/ToolkitModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>

#include "platform/base/AppError.h"
#include "platform/base/LibraryMessages.h"

namespace {

using WindowMain = int (*)(int, char**);
using QtReader = gdi::Bitmap* (*)(const uint8_t*, size_t);
using Route = void (*)(platform::LibraryMessages::Forward);

// Beside the program in a build, in the library folder once installed.
void* LoadModule(std::string& why) {
  const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  for (const std::filesystem::path& place : {folder / "quarvel-window.so", folder / QUARVEL_WINDOW_MODULE}) {
    if (void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
    why = dlerror();
  }
  return nullptr;
}

// The module keeps its own copy of the program's code: its lines come back to this one.
void NoteHere(const char* source, const char* text) { platform::LibraryMessages::Note(source, text); }

}  // namespace

void ToolkitModule::RouteMessagesHere() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::string why;
    if (auto route = reinterpret_cast<Route>(Symbol("QuarvelRouteMessages", why))) route(NoteHere);
  });
}

void* ToolkitModule::Symbol(const char* name, std::string& why) {
  static std::once_flag once;
  static void* module = nullptr;
  static std::string loadFailure;
  std::call_once(once, [] { module = LoadModule(loadFailure); });
  if (!module) {
    why = loadFailure;
    return nullptr;
  }
  void* symbol = dlsym(module, name);
  if (!symbol) why = "the window toolkit's module has no " + std::string(name);
  return symbol;
}

int ToolkitModule::RunWindow(int argc, char** argv) {
  std::string why;
  auto run = reinterpret_cast<WindowMain>(Symbol("QuarvelWindowMain", why));
  if (run) return run(argc, argv);
  std::cerr << "quarvel: the window can't start: " << why << std::endl;
  return 1;
}

std::unique_ptr<gdi::Bitmap> ToolkitModule::ReadOtherKinds(std::span<const uint8_t> file) {
  std::string why;
  RouteMessagesHere();
  auto read = reinterpret_cast<QtReader>(Symbol("QuarvelReadWithQt", why));
  if (!read) {
    throw platform::AppError::WithDescription(
        platform::ErrorNumber::InvalidPicture,
        "Invalid picture: the reader for this kind can't be loaded (" + why + ")");
  }
  return std::unique_ptr<gdi::Bitmap>(read(file.data(), file.size()));
}
