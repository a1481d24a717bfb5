#include "cli/MemoryBudget.h"

#include <malloc.h>

#include <chrono>
#include <fstream>
#include <sstream>

namespace {

// How often a waiting picture looks whether it should stop waiting.
constexpr std::chrono::milliseconds kStopCheck{100};

}  // namespace

MemoryBudget::MemoryBudget(uint64_t bytes) : total_(bytes == 0 ? 1 : bytes) {}

uint64_t MemoryBudget::Default() {
  std::ifstream in("/proc/meminfo");
  std::ostringstream text;
  text << in.rdbuf();
  return HalfAvailable(text.str());
}

uint64_t MemoryBudget::HalfAvailable(const std::string& meminfo) {
  std::istringstream in(meminfo);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string name, unit;
    uint64_t kilobytes = 0;
    if (fields >> name >> kilobytes >> unit && name == "MemAvailable:" && unit == "kB")
      return kilobytes * 1024 / 2;
  }
  return kUnlimited;
}

bool MemoryBudget::Take(uint64_t bytes, const std::function<bool()>& stop) {
  const uint64_t share = Capped(bytes);
  std::unique_lock<std::mutex> hold(lock_);
  const uint64_t ticket = nextTicket_++;
  while (serving_ != ticket || share > total_ - used_) {
    if (stop && stop()) return false;
    changed_.wait_for(hold, kStopCheck);
  }
  used_ += share;
  ++serving_;
  changed_.notify_all();
  return true;
}

// The heap keeps what a picture freed for the next one (see
// CommandLineTool::KeepPictureMemory); while another picture waits for that
// memory, it goes back to the system first, or the two would add up.
void MemoryBudget::Give(uint64_t bytes) {
  std::unique_lock<std::mutex> hold(lock_);
  if (nextTicket_ != serving_) {
    hold.unlock();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    hold.lock();
  }
  used_ -= Capped(bytes);
  hold.unlock();
  changed_.notify_all();
}

MemoryBudget::Share::Share(MemoryBudget& budget, uint64_t bytes, const std::function<bool()>& stop)
    : budget_(budget), bytes_(bytes), held_(budget.Take(bytes, stop)) {}

MemoryBudget::Share::~Share() {
  if (held_) budget_.Give(bytes_);
}
