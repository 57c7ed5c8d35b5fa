#pragma once
// Fixed-capacity tables addressed by plain integer indices. The menu document is made of them so that no
// index, however it was computed, can read or write outside a table.

#include <algorithm>
#include <vector>

namespace tabulo {

// An index outside the table reads as an empty value; a write through it lands in a scratch element that is
// cleared on every such access, so it writes nothing that can be read back.
template <class T, int N>
class CheckedTable {
 public:
  static constexpr int kCapacity = N;

  CheckedTable() : items_(N) {}

  static constexpr bool Valid(int i) { return i >= 0 && i < N; }

  const T& operator[](int i) const { return Valid(i) ? items_[i] : Empty(); }
  T& operator[](int i) {
    if (Valid(i)) return items_[i];
    scratch_ = T{};
    return scratch_;
  }

  void Fill(const T& value) { std::fill(items_.begin(), items_.end(), value); }

  bool operator==(const CheckedTable& other) const { return items_ == other.items_; }

 private:
  static const T& Empty() {
    static const T empty{};
    return empty;
  }

  std::vector<T> items_;
  T scratch_{};
};

// The same for a table of Rows x Cols cells stored row by row.
template <class T, int Rows, int Cols>
class CheckedGrid {
 public:
  static constexpr int kRows = Rows;
  static constexpr int kCols = Cols;

  static constexpr bool Valid(int row, int col) { return row >= 0 && row < Rows && col >= 0 && col < Cols; }

  const T& operator()(int row, int col) const { return cells_[Index(row, col)]; }
  T& operator()(int row, int col) { return cells_[Index(row, col)]; }

  void Fill(const T& value) { cells_.Fill(value); }

  // The cells as one table, row by row: for code that treats every table of the document alike (history).
  CheckedTable<T, Rows * Cols>& Cells() { return cells_; }
  const CheckedTable<T, Rows * Cols>& Cells() const { return cells_; }

  bool operator==(const CheckedGrid& other) const { return cells_ == other.cells_; }

 private:
  static constexpr int Index(int row, int col) { return Valid(row, col) ? row * Cols + col : -1; }

  CheckedTable<T, Rows * Cols> cells_;
};

}  // namespace tabulo
