#include "designer/import/spreadsheet.h"

#include <charconv>
#include <cmath>
#include <fstream>

#include "designer/document/numbers.h"
#include "designer/import/import_report.h"
#include "designer/import/import_texts.h"
#include "designer/import/xls_reader.h"
#include "designer/import/xlsx_reader.h"
#include "platform/files.h"

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
std::string CleanValue(std::string text) {
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
  return std::string(Trim(out));
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

}  // namespace

std::string GeneralNumberText(double value) {
  if (!std::isfinite(value)) return "";
  if (value == 0) return "0";  // also for -0
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  size_t exponent = text.find('e');
  if (exponent != std::string::npos) text[exponent] = 'E';
  return text;
}

bool SheetRow::Empty() const {
  for (const std::string& value : values) {
    if (!value.empty()) return false;
  }
  return true;
}

SheetRead ReadSheetColumns(Workbook& workbook, const std::string& file_name,
                           const std::vector<std::string>& headers, int row_limit) {
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
      std::string name = CleanValue(text);
      for (size_t k = 0; k < headers.size(); ++k) {
        if (columns[k] < 0 && SameName(name, headers[k])) columns[k] = column;
      }
    }
  }
  std::vector<std::string> missing;
  for (size_t k = 0; k < headers.size(); ++k) {
    if (columns[k] < 0) missing.push_back(headers[k]);
  }
  if (!missing.empty()) {
    read.error = "The sheet \"" + read.table.sheet + "\" of \"" + file_name + "\" has no column" +
                 (missing.size() > 1 ? "s " : " ") + QuotedList(missing) + ". The menu was left as it was.";
    return read;
  }

  for (size_t row = header_row + 1; row < rows; ++row) {
    SheetRow sheet_row;
    sheet_row.number = sheet->RowNumber(row);
    sheet_row.values.reserve(columns.size());
    for (int column : columns) sheet_row.values.push_back(CleanValue(sheet->CellText(row, column)));
    if (sheet_row.Empty()) continue;
    if (static_cast<int>(read.table.rows.size()) >= row_limit) {
      read.table.rows_beyond.push_back(sheet_row.number);
    } else {
      read.table.rows.push_back(std::move(sheet_row));
    }
  }
  read.ok = true;
  return read;
}

SheetRead ReadSheetColumns(const std::string& path, SpreadsheetKind kind,
                           const std::vector<std::string>& headers, int row_limit) {
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
  return ReadSheetColumns(*workbook, file_name, headers, row_limit);
}

}  // namespace tabulo
