#pragma once
// What the program tabulo-xls-reader writes to its standard output for one .xls workbook, read back by
// xls_reader. Both ends are built together for one machine: numbers are in its byte order. The answer is
// written as it is read, in pieces the size of a pipe, so that neither end holds it twice.
//
//   "TXLS"  u32 status
//   when the status is kOpened, records, each starting with its u8 type:
//     kSheet: u32 name length, name (UTF-8), u8 sheet state, u32 rows, u32 columns (its declared grid);
//       one for each worksheet, in workbook order
//     kCell: u32 row, u16 column, u8 cell type, and an i32 (kInt), an f64 (kDouble) or u32 length + UTF-8
//       (kText); each cell of the sheet before that holds a value, by row and then column
//     kEnd: nothing more follows
//
// Nothing after the status is trusted by the reading end: every count, length and position is checked.

#include <cstddef>
#include <cstdint>

namespace tabulo::xls_output {

inline constexpr char kMagic[4] = {'T', 'X', 'L', 'S'};

enum Record : uint8_t { kSheet = 1, kCell = 2, kEnd = 3 };

enum Status : uint32_t {
  kOpened = 0,
  kFileNotFound = 1,
  kOutOfMemory = 2,
  kNotAWorkbook = 3,
  kPasswordProtected = 4,
};

enum SheetState : uint8_t {
  kSheetCells = 0,       // its cells follow
  kSheetUnreadable = 1,  // FreeXL cannot select it or give its grid
  kSheetTooLarge = 2,    // its grid spans more than kMaxSheetCells: its cells were not visited
};

enum CellType : uint8_t { kInt = 1, kDouble = 2, kText = 3 };

// A sheet's declared grid is visited cell by cell: a file of a few kilobytes can declare 65536 rows by 256
// columns. A catalogue holds at most 10000 rows; such a sheet is refused rather than walked.
inline constexpr uint64_t kMaxSheetCells = 2000000;

// The pieces the answer is written in: what a pipe holds.
inline constexpr size_t kPieceSize = 64 * 1024;

// Exit statuses of the program besides 0 (it answered).
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutOfMemory = 3;
inline constexpr int kExitWriteFailed = 4;

}  // namespace tabulo::xls_output
