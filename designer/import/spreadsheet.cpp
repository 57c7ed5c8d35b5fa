#include "designer/import/spreadsheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>

#include "base/files.h"
#include "designer/document/numbers.h"
#include "designer/import/import_report.h"
#include "designer/import/import_texts.h"
#include "designer/import/xls_reader.h"
#include "designer/import/xlsx_reader.h"

namespace tabulo {
namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// A cell's value as the import takes it: one line (the files it goes to hold one value per line), trimmed.
void CleanValue(std::string& text) {
  if (text.find('\n') != std::string::npos || text.find('\r') != std::string::npos) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '\r' || c == '\n') {
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out += ' ';
      } else {
        out += c;
      }
    }
    text = std::move(out);
  }
  std::string_view trimmed = Trim(text);
  if (trimmed.size() != text.size()) {
    size_t start = static_cast<size_t>(trimmed.data() - text.data());
    text.erase(start + trimmed.size());
    text.erase(0, start);
  }
}

std::string QuotedList(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += "\"" + names[i] + "\"";
  }
  return text;
}

constexpr unsigned char kXlsSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Prices and the like have a few decimals: the fewest decimals k for which the value, read back from
// round(value * 10^k) / 10^k, is the same double. That is the shortest text that reads back as the value,
// and with at most 15 digits it is also what rounding to 15 digits shows. Much faster than the library's
// general conversion, which the other values go through.
bool ShortDecimalText(double value, char* buffer, char*& end) {
  static constexpr double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-3 && magnitude < 1e14)) return false;
  for (int k = 1; k <= 6; ++k) {
    double scaled = std::nearbyint(magnitude * kPowers[k]);
    if (scaled >= 1e15) return false;
    if (scaled / kPowers[k] != magnitude) continue;
    char digits[24];
    char* digits_end = std::to_chars(digits, digits + sizeof digits, static_cast<int64_t>(scaled)).ptr;
    int length = static_cast<int>(digits_end - digits);
    char* out = buffer;
    if (value < 0) *out++ = '-';
    if (length <= k) {
      *out++ = '0';
      *out++ = '.';
      for (int z = 0; z < k - length; ++z) *out++ = '0';
      for (int i = 0; i < length; ++i) *out++ = digits[i];
    } else {
      for (int i = 0; i < length - k; ++i) *out++ = digits[i];
      *out++ = '.';
      for (int i = length - k; i < length; ++i) *out++ = digits[i];
    }
    end = out;
    return true;
  }
  return false;
}

}  // namespace

std::string GeneralNumberText(double value) {
  if (!std::isfinite(value)) return "";
  if (value == 0) return "0";  // also for -0
  char buffer[64];
  char* end = buffer + sizeof buffer;
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    // Whole numbers, the most common cells, printed as integers.
    end = std::to_chars(buffer, end, static_cast<int64_t>(value)).ptr;
  } else if (!ShortDecimalText(value, buffer, end)) {
    // Anything else rounded to 15 significant digits, as printf's %.15g does.
    end = std::to_chars(buffer, end, value, std::chars_format::general, 15).ptr;
    for (char* c = buffer; c < end; ++c) {
      if (*c == 'e') *c = 'E';
    }
  }
  return std::string(buffer, end);
}

std::string ColumnName(int column) {
  std::string name;
  for (int c = column + 1; c > 0; c = (c - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
  return name;
}

bool SheetRow::Empty() const {
  for (const std::string& value : values) {
    if (!value.empty()) return false;
  }
  return true;
}

SheetRead ReadSheetRows(Workbook& workbook, const std::string& file_name,
                        const std::vector<std::string>& headers, int row_limit, const SheetRowSink& take,
                        size_t required) {
  SheetRead read;
  std::vector<std::string> names = workbook.SheetNames();
  if (names.empty()) {
    read.error = "\"" + file_name + "\" holds no worksheet. The menu was left as it was.";
    return read;
  }
  size_t index = 0;
  for (size_t i = 0; i < names.size(); ++i) {
    if (SameName(names[i], kImportSheetName)) {
      index = i;
      break;
    }
  }
  std::string error;
  std::unique_ptr<Worksheet> sheet = workbook.OpenSheet(index, error);
  if (!sheet) {
    read.error = error;
    return read;
  }
  read.table.sheet = names[index];

  // The header row: the first row holding a value.
  size_t rows = sheet->RowCount();
  size_t header_row = rows;
  std::vector<std::pair<int, std::string>> cells;
  for (size_t row = 0; row < rows && header_row == rows; ++row) {
    sheet->RowCells(row, cells);
    for (const auto& cell : cells) {
      if (!Trim(cell.second).empty()) {
        header_row = row;
        break;
      }
    }
  }
  std::vector<int> columns(headers.size(), -1);
  if (header_row < rows) {
    for (const auto& [column, text] : cells) {
      std::string name = text;
      CleanValue(name);
      bool asked = false;
      for (size_t k = 0; k < headers.size(); ++k) {
        if (SameName(name, headers[k])) {
          if (columns[k] < 0) columns[k] = column;
          asked = true;
        }
      }
      if (!asked && !name.empty()) read.other_headers.push_back(std::move(name));
    }
  }
  std::vector<std::string> missing;
  for (size_t k = 0; k < std::min(headers.size(), required); ++k) {
    if (columns[k] < 0) missing.push_back(headers[k]);
  }
  if (!missing.empty()) {
    read.error = "The sheet \"" + read.table.sheet + "\" of \"" + file_name + "\" has no column" +
                 (missing.size() > 1 ? "s " : " ") + QuotedList(missing) + ". The menu was left as it was.";
    return read;
  }

  read.columns = columns;
  SheetRow sheet_row;
  sheet_row.values.resize(columns.size());
  int taken = 0;
  for (size_t row = header_row + 1; row < rows; ++row) {
    sheet_row.number = sheet->RowNumber(row);
    for (size_t k = 0; k < columns.size(); ++k) {
      if (columns[k] < 0) {
        sheet_row.values[k].clear();
        continue;
      }
      sheet->CellText(row, columns[k], sheet_row.values[k]);
      CleanValue(sheet_row.values[k]);
    }
    if (sheet_row.Empty()) continue;
    if (taken >= row_limit) {
      read.table.rows_beyond.push_back(sheet_row.number);
    } else {
      take(sheet_row);
      ++taken;
    }
  }
  read.ok = true;
  return read;
}

SheetRead ReadSheetRows(const std::string& path, SpreadsheetKind kind,
                        const std::vector<std::string>& headers, int row_limit, const SheetRowSink& take,
                        size_t required) {
  SheetRead read;
  std::string file_name = FileNameOf(path);
  if (kind == SpreadsheetKind::Detect) {
    std::ifstream in(path, std::ios::binary);
    char start[sizeof kXlsSignature] = {};
    if (!in || !in.read(start, sizeof start)) {
      // Too short to be a workbook of either kind; say why it cannot be opened when it cannot.
      if (!in.is_open()) {
        read.error = CannotOpenMessage(path);
      } else {
        read.error =
            "\"" + file_name + "\" is not a spreadsheet (.xls or .xlsx). The menu was left as it was.";
      }
      return read;
    }
    if (std::equal(start, start + sizeof start, reinterpret_cast<const char*>(kXlsSignature))) {
      kind = SpreadsheetKind::Xls;
    } else if (std::string_view(start, 4) == std::string_view("PK\x03\x04", 4)) {
      kind = SpreadsheetKind::Xlsx;
    } else {
      read.error = "\"" + file_name + "\" is not a spreadsheet (.xls or .xlsx). The menu was left as it was.";
      return read;
    }
  }
  std::string error;
  std::unique_ptr<Workbook> workbook;
  if (kind == SpreadsheetKind::Xls) {
    workbook = OpenXlsWorkbook(path, error);
  } else {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
      read.error = CannotOpenMessage(path);
      return read;
    }
    workbook = OpenXlsxWorkbook(std::move(bytes), file_name, error);
  }
  if (!workbook) {
    read.error = error;
    return read;
  }
  SheetRead result = ReadSheetRows(*workbook, file_name, headers, row_limit, take, required);
  result.kind = kind;
  return result;
}

SheetRead ReadSheetColumns(Workbook& workbook, const std::string& file_name,
                           const std::vector<std::string>& headers, int row_limit) {
  std::vector<SheetRow> rows;
  SheetRead read = ReadSheetRows(workbook, file_name, headers, row_limit,
                                 [&](const SheetRow& row) { rows.push_back(row); });
  read.table.rows = std::move(rows);
  return read;
}

SheetRead ReadSheetColumns(const std::string& path, SpreadsheetKind kind,
                           const std::vector<std::string>& headers, int row_limit) {
  std::vector<SheetRow> rows;
  SheetRead read =
      ReadSheetRows(path, kind, headers, row_limit, [&](const SheetRow& row) { rows.push_back(row); });
  read.table.rows = std::move(rows);
  return read;
}

}  // namespace tabulo
