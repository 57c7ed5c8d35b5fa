#pragma once
// Worksheets read in place of the original "Excel 5.0" data source: the rows of one sheet in order, with
// the values of the columns asked for found by their header names. .xls files (BIFF5 and BIFF8) are read by
// xls_reader, .xlsx files by xlsx_reader; both hand their cells to the same table builder, so the two
// formats give the same rows for the same sheet.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulo {

enum class SpreadsheetKind { Detect, Xls, Xlsx };

// A number as a spreadsheet shows it in its general format: up to 15 significant digits, no trailing zeros,
// a point for the decimals whatever the locale ("12", "0.99", "1E+20").
std::string GeneralNumberText(double value);

// A worksheet as the readers deliver it: the rows that hold cells, ascending, and the text of each cell as
// the spreadsheet shows it ("" for an empty cell). Columns are 0-based.
class Worksheet {
 public:
  virtual ~Worksheet() = default;
  virtual size_t RowCount() const = 0;
  virtual int RowNumber(size_t row) const = 0;  // 1-based sheet row of a stored row
  // Every cell of a stored row with its column, in column order.
  virtual void RowCells(size_t row, std::vector<std::pair<int, std::string>>& cells) const = 0;
  // The text of one cell into `text`, whose storage is reused from row to row.
  virtual void CellText(size_t row, int column, std::string& text) const = 0;
};

class Workbook {
 public:
  virtual ~Workbook() = default;
  // Names of the worksheets, in workbook order (chart sheets and the like are not worksheets).
  virtual std::vector<std::string> SheetNames() const = 0;
  // The sheet at `index` of SheetNames(), or nothing with the reason in `error`.
  virtual std::unique_ptr<Worksheet> OpenSheet(size_t index, std::string& error) = 0;
};

struct SheetRow {
  int number = 0;                   // 1-based sheet row
  std::vector<std::string> values;  // one per column asked for: trimmed, line breaks as spaces
  bool Empty() const;               // no value in any column read
};

struct SheetTable {
  std::string sheet;  // name of the sheet read
  // The rows under the header row that hold a value in a column read. Empty rows are left out: they hold
  // nothing to lose, and whether a program stores them at all differs (LibreOffice keeps them in .xls files
  // and leaves them out of .xlsx files).
  std::vector<SheetRow> rows;
  // Rows holding a value after the row limit was reached: not read, only counted.
  std::vector<int> rows_beyond;
};

struct SheetRead {
  bool ok = false;
  std::string error;  // the message to show when the sheet cannot be read
  SheetTable table;
  SpreadsheetKind kind = SpreadsheetKind::Detect;  // the format read
  std::vector<int> columns;                        // 0-based column of each header asked for; -1 when absent
  std::vector<std::string> other_headers;          // header cells that name no column asked for, in order
};

// "C" for column 2: the column's name as a spreadsheet shows it.
std::string ColumnName(int column);

// The sheet "Sheet1" of a workbook (compared without regard to case), or its first sheet when none has that
// name. The header row is the first row holding a value; the headers match the names asked for after
// trimming and without regard to case, the first of equal headers winning. A missing sheet or column is an
// error that names it. At most `row_limit` rows are read.
// Headers from index `required` on are optional: a missing one is no error, its column -1 and its values "".
SheetRead ReadSheetColumns(Workbook& workbook, const std::string& file_name,
                           const std::vector<std::string>& headers, int row_limit);

// The same for a file on disk, its format found from its first bytes unless `kind` says it.
SheetRead ReadSheetColumns(const std::string& path, SpreadsheetKind kind,
                           const std::vector<std::string>& headers, int row_limit);

// The same rows handed one by one to `take` instead of collected in the table: the row's storage is reused,
// so a large sheet is read without a copy of it.
using SheetRowSink = std::function<void(const SheetRow&)>;
SheetRead ReadSheetRows(Workbook& workbook, const std::string& file_name,
                        const std::vector<std::string>& headers, int row_limit, const SheetRowSink& take,
                        size_t required = SIZE_MAX);
SheetRead ReadSheetRows(const std::string& path, SpreadsheetKind kind,
                        const std::vector<std::string>& headers, int row_limit, const SheetRowSink& take,
                        size_t required = SIZE_MAX);

}  // namespace tabulo
