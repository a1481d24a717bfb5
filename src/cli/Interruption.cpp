#include "cli/Interruption.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/base/TempFiles.h"

namespace {

std::atomic<int> firstSignal{0};
std::atomic<int> wakeUp{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler may only touch lock-free atomics");

}  // namespace

// Async-signal-safe: lock-free atomics and write(2), errno kept.
void Interruption::Caught(int signal) {
  const int saved = errno;
  int none = 0;
  firstSignal.compare_exchange_strong(none, signal);
  const auto byte = static_cast<unsigned char>(signal);
  if (const int fd = wakeUp.load(); fd >= 0) {
    [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
  }
  errno = saved;
}

void Interruption::Watch() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return;
  wakeUp.store(ends[1]);
  std::thread(WatchPipe, ends[0]).detach();
  struct sigaction action = {};
  action.sa_handler = Caught;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int Interruption::Signal() { return firstSignal.load(); }

void Interruption::WatchPipe(int readEnd) {
  unsigned char byte = 0;
  int seen = 0;
  for (;;) {
    const ssize_t got = read(readEnd, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    if (++seen < 2) continue;
    platform::TempFiles::RemoveAllForExit();
    _exit(ExitStatus(firstSignal.load()));
  }
}
