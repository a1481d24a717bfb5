#include "imaging/MajorityPicker.h"

#include <cstring>
#include <vector>

#include "imaging/SharedRows.h"

namespace {

uint32_t ColourAt(const uint8_t* pixel) {
  return uint32_t{pixel[2]} << 16 | uint32_t{pixel[1]} << 8 | pixel[0];
}

// The same from four bytes, the fourth being the next pixel's: never past the last.
uint32_t ColourBefore(const uint8_t* pixel) {
  uint32_t bytes;
  std::memcpy(&bytes, pixel, 4);
  return bytes & 0xFFFFFF;
}

// Per destination column: the column shares summed from its first source
// column, so a run of one colour weighs in at one subtraction.
std::vector<std::vector<uint64_t>> RunningShares(const std::vector<Span>& spans) {
  std::vector<std::vector<uint64_t>> sums(spans.size());
  for (size_t j = 0; j < spans.size(); ++j) {
    sums[j].push_back(0);
    for (uint32_t share : spans[j].share) sums[j].push_back(sums[j].back() + share);
  }
  return sums;
}

// One row of a destination pixel's source pixels, run by run.
template <typename TallyType>
void AddRow(TallyType& tally, const uint8_t* pixel, const std::vector<uint64_t>& running, uint64_t rowShare) {
  const size_t n = running.size() - 1;
  uint32_t run = n > 1 ? ColourBefore(pixel) : ColourAt(pixel);
  size_t runStart = 0;
  for (size_t c = 1; c < n; ++c) {
    const uint32_t colour = c + 1 < n ? ColourBefore(pixel + 3 * c) : ColourAt(pixel + 3 * c);
    if (colour == run) continue;
    tally.Add(run, rowShare * (running[c] - running[runStart]));
    run = colour;
    runStart = c;
  }
  tally.Add(run, rowShare * (running[n] - running[runStart]));
}

// The area each colour of one destination pixel covers: a small open hash
// table, emptied slot by slot after each pixel instead of wholesale. Runs of
// one colour, usual in a palette map, skip the lookup.
class Tally {
 public:
  Tally() { Resize(256); }

  void Add(uint32_t colour, uint64_t weight) {
    const uint32_t key = colour + 1;
    if (key != lastKey_) {
      lastSlot_ = Find(key);
      lastKey_ = key;
    }
    weights_[lastSlot_] += weight;
  }

  // The winner, the table emptied for the next pixel.
  uint32_t TakeWinner() {
    uint32_t best = 0;
    uint64_t bestWeight = 0;
    for (uint32_t slot : used_) {
      const uint64_t weight = weights_[slot];
      if (weight > bestWeight || (weight == bestWeight && keys_[slot] < best)) {
        best = keys_[slot];
        bestWeight = weight;
      }
      keys_[slot] = 0;
      weights_[slot] = 0;
    }
    used_.clear();
    lastKey_ = 0;
    return best - 1;
  }

 private:
  uint32_t Slot(uint32_t key) const { return (key * 0x9E3779B1u) >> shift_; }

  uint32_t Find(uint32_t key) {
    uint32_t slot = Slot(key);
    while (keys_[slot] != key) {
      if (keys_[slot] == 0) return Claim(slot, key);
      slot = (slot + 1) & mask_;
    }
    return slot;
  }

  uint32_t Claim(uint32_t slot, uint32_t key) {
    if (2 * (used_.size() + 1) > keys_.size()) {
      Resize(2 * keys_.size());
      return Find(key);
    }
    keys_[slot] = key;
    used_.push_back(slot);
    return slot;
  }

  void Resize(size_t size) {
    std::vector<uint32_t> keys(size, 0);
    std::vector<uint64_t> weights(size, 0);
    std::vector<uint32_t> used;
    keys_.swap(keys);
    weights_.swap(weights);
    used_.swap(used);
    mask_ = static_cast<uint32_t>(size - 1);
    shift_ = 32 - static_cast<uint32_t>(__builtin_ctzll(size));
    for (uint32_t slot : used) {
      const uint32_t at = Find(keys[slot]);
      weights_[at] = weights[slot];
    }
    lastKey_ = 0;
  }

  std::vector<uint32_t> keys_;  // colour + 1; 0 for an empty slot
  std::vector<uint64_t> weights_;
  std::vector<uint32_t> used_;
  uint32_t mask_ = 0;
  uint32_t shift_ = 0;
  uint32_t lastKey_ = 0;
  uint32_t lastSlot_ = 0;
};

}  // namespace

MajorityPicker::MajorityPicker(int threads) : threads_(threads) {}

void MajorityPicker::Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const {
  Fill(source, {0, source.width, dest.width}, {0, source.height, dest.height}, dest);
}

void MajorityPicker::Fill(const PixelRows<const uint8_t>& source, CoverAxis across, CoverAxis down,
                          const PixelRows<uint8_t>& dest) const {
  if (source.width <= 0 || source.height <= 0 || dest.width <= 0 || dest.height <= 0) return;
  const std::vector<Span> columns = MapSpans(across, dest.width);
  const std::vector<Span> rows = MapSpans(down, dest.height);
  const std::vector<std::vector<uint64_t>> running = RunningShares(columns);
  const Range usedColumns = Covered(columns), usedRows = Covered(rows);
  const int64_t bytes = 3 * int64_t{usedColumns.end - usedColumns.first} * (usedRows.end - usedRows.first);
  ShareRows(threads_, dest.height, bytes, [&] {
    return [&, tally = Tally()](int32_t y) mutable {
      const Span& rowSpan = rows[y];
      uint8_t* out = dest.first + static_cast<ptrdiff_t>(y) * dest.step;
      for (size_t x = 0; x < columns.size(); ++x) {
        for (size_t r = 0; r < rowSpan.share.size(); ++r) {
          const uint8_t* pixel = source.first + (rowSpan.first + static_cast<ptrdiff_t>(r)) * source.step +
                                 3 * ptrdiff_t{columns[x].first};
          AddRow(tally, pixel, running[x], rowSpan.share[r]);
        }
        const uint32_t winner = tally.TakeWinner();
        out[0] = static_cast<uint8_t>(winner);
        out[1] = static_cast<uint8_t>(winner >> 8);
        out[2] = static_cast<uint8_t>(winner >> 16);
        out += 3;
      }
    };
  });
}

void NearestSampler::Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) {
  Fill(source, {0, source.width, dest.width}, {0, source.height, dest.height}, dest);
}

void NearestSampler::Fill(const PixelRows<const uint8_t>& source, CoverAxis across, CoverAxis down,
                          const PixelRows<uint8_t>& dest) {
  if (source.width <= 0 || source.height <= 0 || dest.width <= 0 || dest.height <= 0) return;
  const std::vector<int32_t> columns = MapCentres(across, dest.width);
  const std::vector<int32_t> rows = MapCentres(down, dest.height);
  for (int32_t y = 0; y < dest.height; ++y) {
    const uint8_t* row = source.first + static_cast<ptrdiff_t>(rows[y]) * source.step;
    uint8_t* out = dest.first + static_cast<ptrdiff_t>(y) * dest.step;
    for (int32_t column : columns) {
      const uint8_t* pixel = row + 3 * ptrdiff_t{column};
      out[0] = pixel[0];
      out[1] = pixel[1];
      out[2] = pixel[2];
      out += 3;
    }
  }
}
