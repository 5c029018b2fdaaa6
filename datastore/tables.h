#pragma once
// The data tables: rows 0 to 1,048,575, typed columns. Storage grows on demand (a table that a
// load never reaches costs nothing) and is never shrunk: rows past a table's counter keep what an
// earlier, longer load wrote. A row that was never written reads as 0 (or the empty text).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/memory.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {

inline constexpr int64_t kTableRows = 1048576;  // rows 0 to kLastTableRow
inline constexpr int64_t kLastTableRow = kTableRows - 1;

namespace detail {
// Storage rows for a write at `row`: at least row + 1, growing geometrically, capped at the table.
inline int64_t GrownRows(int64_t have, int64_t row) {
  int64_t n = have < 4096 ? 4096 : have * 2;
  if (n < row + 1) n = row + 1;
  return n > kTableRows ? kTableRows : n;
}
[[noreturn]] inline void OutOfTable() { throw rt::RtError(rt::kErrSubscript); }
}  // namespace detail

// A table of Doubles with N columns, stored row by row.
template <int N>
class NumTable {
 public:
  static constexpr int kCols = N;

  // The cell's value; 0 for a row never written. Out-of-range indexes read as 0 too.
  double Get(int64_t row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= N) return 0.0;
    return cells_[static_cast<size_t>(row) * N + col];
  }
  double operator()(int64_t row, int col) const { return Get(row, col); }

  // Writable cell; grows the storage. RtError 9 (subscript out of range) past the last row.
  double& At(int64_t row, int col) {
    if (row < 0 || row > kLastTableRow || col < 0 || col >= N) detail::OutOfTable();
    if (row >= rows_) Grow(row);
    return cells_[static_cast<size_t>(row) * N + col];
  }
  void Set(int64_t row, int col, double v) { At(row, col) = v; }

  // Makes rows 0..rows-1 writable without further growth (does not change any value).
  void Reserve(int64_t rows) {
    if (rows > kTableRows) rows = kTableRows;
    if (rows > rows_) Grow(rows - 1, rows);
  }
  // Pointer to a row's N cells, for fast sequential writers; the row must be below StoredRows().
  double* RowPtr(int64_t row) { return cells_.data() + static_cast<size_t>(row) * N; }
  const double* RowPtr(int64_t row) const { return cells_.data() + static_cast<size_t>(row) * N; }
  // Rows that hold storage (written at some time, or reserved).
  int64_t StoredRows() const { return rows_; }

 private:
  void Grow(int64_t row, int64_t want = 0) {
    int64_t n = want ? want : detail::GrownRows(rows_, row);
    cells_.resize(static_cast<size_t>(n) * N);
    rows_ = n;
  }
  // Zeroed storage that is never shrunk: growing it writes none of the new rows, so taking a
  // million rows at once costs nothing until each page is first written.
  std::vector<double, rt::LargeAllocator<double, true>> cells_;
  int64_t rows_ = 0;
};

// A one-column table of texts.
class TextColumn {
 public:
  const std::string& Get(int64_t row) const {
    static const std::string kEmpty;
    if (row < 0 || row >= static_cast<int64_t>(cells_.size())) return kEmpty;
    return cells_[static_cast<size_t>(row)];
  }
  const std::string& operator()(int64_t row) const { return Get(row); }
  std::string& At(int64_t row) {
    if (row < 0 || row > kLastTableRow) detail::OutOfTable();
    if (row >= static_cast<int64_t>(cells_.size())) {
      if (static_cast<size_t>(row) >= cells_.capacity())
        cells_.reserve(static_cast<size_t>(detail::GrownRows(static_cast<int64_t>(cells_.capacity()), row)));
      // Only the rows up to this one are made: a reader writing row after row pays for each
      // text as it comes, not for a million at once.
      cells_.resize(static_cast<size_t>(row) + 1);
    }
    return cells_[static_cast<size_t>(row)];
  }
  void Set(int64_t row, std::string v) { At(row) = std::move(v); }
  // Rows written so far (every row up to the last one written).
  int64_t StoredRows() const { return static_cast<int64_t>(cells_.size()); }
  // Room for rows 0..rows-1 without moving the texts again as they are written.
  void Reserve(int64_t rows) {
    if (rows > kTableRows) rows = kTableRows;
    if (rows > 0) cells_.reserve(static_cast<size_t>(rows));
  }

 private:
  std::vector<std::string, rt::LargeAllocator<std::string>> cells_;
};

// The events list: per event number a time (column 0) and a label text (column 1).
class EventsListTable {
 public:
  double Time(int64_t row) const { return time_.Get(row, 0); }
  const std::string& Label(int64_t row) const { return label_.Get(row); }
  void SetTime(int64_t row, double t) { time_.Set(row, 0, t); }
  void SetLabel(int64_t row, std::string s) { label_.Set(row, std::move(s)); }
  std::string& LabelAt(int64_t row) { return label_.At(row); }
  int64_t StoredRows() const { return time_.StoredRows(); }
  void Reserve(int64_t rows) {
    time_.Reserve(rows);
    label_.Reserve(rows);
  }

 private:
  NumTable<1> time_;
  TextColumn label_;
};

}  // namespace vantrel::datastore
