// The window's whole run, as the program starts it, ended the first time it
// waits for the user: with a picture named, that is once the picture is open
// and shown. For timing whole processes (see whole_process.sh):
//   bench_window_idle build-test/quarvel [PICTURE]
// runs the window module that lies beside the program named.
#include <dlfcn.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// Inside the event loop proper, not a yield of a handler before it.
void QuitWhenIdle() {
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   QCoreApplication::instance(), [] {
                     if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::quit();
                   });
}
Q_COREAPP_STARTUP_FUNCTION(QuitWhenIdle)

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PROGRAM [PICTURE]\n", argv[0]);
    return 2;
  }
  const std::string path = (std::filesystem::path(argv[1]).parent_path() / "quarvel-window.so").string();
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto run = module ? reinterpret_cast<int (*)(int, char**)>(dlsym(module, "QuarvelWindowMain")) : nullptr;
  if (!run) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  // The window sees the program's name and the picture, as after "quarvel PICTURE".
  argv[1] = argv[0];
  return run(argc - 1, argv + 1);
}
