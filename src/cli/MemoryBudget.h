#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// The memory the pictures decoded at the same time may take together. Each
// picture takes its share before it is decoded and gives it back after; one
// that doesn't fit waits, in the order the pictures asked, and one larger than
// the whole budget waits until it has the budget to itself.
class MemoryBudget {
 public:
  static constexpr uint64_t kUnlimited = UINT64_MAX;

  explicit MemoryBudget(uint64_t bytes);

  // Half of what the system says is available (MemAvailable in
  // /proc/meminfo); unlimited when it doesn't say.
  static uint64_t Default();
  // From the text of /proc/meminfo.
  static uint64_t HalfAvailable(const std::string& meminfo);

  // Waits for `bytes`; false when `stop` turns true first (it is asked now
  // and then, and once true must stay true).
  bool Take(uint64_t bytes, const std::function<bool()>& stop);
  void Give(uint64_t bytes);

  // A share held for as long as it lives.
  class Share {
   public:
    Share(MemoryBudget& budget, uint64_t bytes, const std::function<bool()>& stop);
    ~Share();
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;
    bool Held() const { return held_; }

   private:
    MemoryBudget& budget_;
    uint64_t bytes_;
    bool held_;
  };

 private:
  uint64_t Capped(uint64_t bytes) const { return bytes < total_ ? bytes : total_; }

  const uint64_t total_;
  std::mutex lock_;
  std::condition_variable changed_;
  uint64_t used_ = 0;
  uint64_t nextTicket_ = 0;
  uint64_t serving_ = 0;
};
