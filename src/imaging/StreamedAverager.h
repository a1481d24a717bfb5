#pragma once

#include <cstdint>
#include <vector>

#include "imaging/AreaAverager.h"
#include "imaging/AreaSpans.h"
#include "imaging/PixelRows.h"
#include "imaging/RowTaker.h"

// The area average of a picture that passes by once, top row first, as a
// decoder gives it: each row is added into the result rows it covers and
// then dropped, and a result row is finished once its last row has passed.
// Memory is a few rows of column sums besides the result. The bytes are those
// AreaAverager gives for the whole picture: the same integer sums, rounded
// once the same way.
class StreamedAverager : public RowTaker {
 public:
  // As AreaAverager::Fill's axes.
  StreamedAverager(AreaAverager::Axis across, AreaAverager::Axis down, const PixelRows<uint8_t>& dest);

  // The source rows [first, end) and columns the result needs; the others
  // may be skipped or never decoded.
  area::Range Rows() const override { return rows_; }
  area::Range Columns() const override { return used_; }

  // The next needed row, `row` pointing at its pixel of column Columns().first.
  void Add(const uint8_t* row);
  // Rows of a band, its first at Columns().first, in order.
  void Add(const PixelRows<const uint8_t>& band) override;

  // The next source row wanted; Rows().end once every result row is done.
  int32_t NextRow() const { return next_; }
  bool Done() const { return next_ >= rows_.end; }

 private:
  PixelRows<uint8_t> dest_;
  std::vector<area::Span> columns_;
  std::vector<area::Span> spans_;
  area::Range used_;
  area::Range rows_;
  uint64_t total_;
  area::AddRowFn addRow_;
  // Column sums of result row j in sums_[j % sums_.size()]: as many as can
  // be under way at once.
  std::vector<std::vector<uint32_t>> sums_;
  int32_t next_;
  // The first result row not finished yet.
  int32_t open_ = 0;
};
