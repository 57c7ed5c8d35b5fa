#include "designer/import/xls_reader.h"

#include <freexl.h>

#include <charconv>

#include "designer/import/import_report.h"

namespace tabulo {
namespace {

// A sheet's declared grid is visited cell by cell when its header row is looked for: a file of a few
// kilobytes can declare 65536 rows by 256 columns. Such a sheet is refused rather than walked.
constexpr unsigned long long kMaxXlsCells = 2000000;

class XlsWorksheet : public Worksheet {
 public:
  XlsWorksheet(const void* handle, unsigned int rows, unsigned short columns)
      : handle_(handle), rows_(rows), columns_(columns) {}

  size_t RowCount() const override { return rows_; }
  int RowNumber(size_t row) const override { return static_cast<int>(row) + 1; }

  void RowCells(size_t row, std::vector<std::pair<int, std::string>>& cells) const override {
    cells.clear();
    std::string text;
    for (int column = 0; column < columns_; ++column) {
      CellText(row, column, text);
      if (!text.empty()) cells.emplace_back(column, text);
    }
  }

  void CellText(size_t row, int column, std::string& text) const override {
    text.clear();
    if (row >= rows_ || column < 0 || column >= columns_) return;
    FreeXL_CellValue value;
    if (freexl_get_cell_value(handle_, static_cast<unsigned int>(row), static_cast<unsigned short>(column),
                              &value) != FREEXL_OK) {
      return;
    }
    switch (value.type) {
      case FREEXL_CELL_INT: {
        char digits[16];
        text.assign(digits, std::to_chars(digits, digits + sizeof digits, value.value.int_value).ptr);
        break;
      }
      case FREEXL_CELL_DOUBLE:
        text = GeneralNumberText(value.value.double_value);
        break;
      case FREEXL_CELL_TEXT:
      case FREEXL_CELL_SST_TEXT:
      case FREEXL_CELL_DATE:
      case FREEXL_CELL_DATETIME:
      case FREEXL_CELL_TIME:
        if (value.value.text_value) text.assign(value.value.text_value);
        break;
      default:
        break;
    }
  }

 private:
  const void* handle_;
  unsigned int rows_;
  unsigned short columns_;
};

class XlsWorkbook : public Workbook {
 public:
  XlsWorkbook(const void* handle, std::string file_name)
      : handle_(handle), file_name_(std::move(file_name)) {}
  ~XlsWorkbook() override { freexl_close(handle_); }
  XlsWorkbook(const XlsWorkbook&) = delete;
  XlsWorkbook& operator=(const XlsWorkbook&) = delete;

  std::vector<std::string> SheetNames() const override {
    std::vector<std::string> names;
    unsigned int count = 0;
    if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return names;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
      const char* name = nullptr;
      if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) != FREEXL_OK) break;
      names.push_back(name ? name : "");
    }
    return names;
  }

  std::unique_ptr<Worksheet> OpenSheet(size_t index, std::string& error) override {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (index > 0xFFFF ||
        freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK) {
      error = "The worksheet of \"" + file_name_ + "\" cannot be read. The menu was left as it was.";
      return nullptr;
    }
    if (static_cast<unsigned long long>(rows) * columns > kMaxXlsCells) {
      std::vector<std::string> names = SheetNames();
      error = "The worksheet \"" + (index < names.size() ? names[index] : std::string()) + "\" of \"" +
              file_name_ + "\" spans more than " + std::to_string(kMaxXlsCells) +
              " cells, far more than a catalogue holds; it was not read. The menu was left as it was.";
      return nullptr;
    }
    return std::make_unique<XlsWorksheet>(handle_, rows, columns);
  }

 private:
  const void* handle_;
  std::string file_name_;
};

}  // namespace

std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path, std::string& error) {
  std::string file_name = FileNameOf(path);
  const void* handle = nullptr;
  int opened = freexl_open(path.c_str(), &handle);
  if (opened != FREEXL_OK) {
    if (handle) freexl_close(handle);
    if (opened == FREEXL_FILE_NOT_FOUND) {
      error = CannotOpenMessage(path);
    } else if (opened == FREEXL_INSUFFICIENT_MEMORY) {
      error = "\"" + file_name + "\" is too large to be read. The menu was left as it was.";
    } else {
      error = "\"" + file_name +
              "\" is not an Excel 97-2003 or Excel 5.0/95 workbook that can be read. The menu was left as it "
              "was.";
    }
    return nullptr;
  }
  auto workbook = std::make_unique<XlsWorkbook>(handle, file_name);
  unsigned int password = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED) {
    error = "\"" + file_name + "\" is protected by a password. The menu was left as it was.";
    return nullptr;
  }
  return workbook;
}

}  // namespace tabulo
