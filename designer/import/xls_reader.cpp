#include "designer/import/xls_reader.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "designer/import/import_report.h"
#include "designer/import/xls_reader_output.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

namespace out = xls_output;

constexpr char kReaderName[] = "tabulo-xls-reader";
constexpr size_t kReaderMemoryMb = 256;
constexpr int kReaderCpuSeconds = 20;
constexpr int kReaderWallSeconds = 30;
constexpr size_t kReaderOutputMb = 64;

// The reader beside the running program: the programs sit together, installed as in the build tree.
std::string ReaderProgram() {
  return ProgramFolder() + "/" + kReaderName;
}

std::string ReadFailure(const std::string& path, const std::string& why) {
  return "\"" + FileNameOf(path) + "\" could not be read: " + why + ". The menu was left as it was.";
}

std::string SecondsText(std::chrono::milliseconds time) {
  long long ms = time.count();
  std::string text = std::to_string(ms / 1000);
  if (ms % 1000 != 0) text += "." + std::to_string(ms % 1000 / 100);
  return text + (ms == 1000 ? " second" : " seconds");
}

std::string SizeText(size_t bytes) {
  return bytes >= (1 << 20) ? std::to_string(bytes >> 20) + " MB" : std::to_string(bytes >> 10) + " KB";
}

// The reader's answer, every count, length and position checked before anything is taken from it.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes, size_t at = 0) : bytes_(bytes), at_(std::min(at, bytes.size())) {}
  size_t At() const { return at_; }
  bool AtEnd() const { return at_ == bytes_.size(); }

  template <class T>
  bool Take(T& value) {
    if (bytes_.size() - at_ < sizeof value) return false;
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool TakeText(std::string_view& text) {
    uint32_t length = 0;
    if (!Take(length) || length > bytes_.size() - at_) return false;
    text = bytes_.substr(at_, length);
    at_ += length;
    return true;
  }
  bool TakeMark(const char (&mark)[4]) {
    if (bytes_.size() - at_ < sizeof mark || std::memcmp(bytes_.data() + at_, mark, sizeof mark) != 0)
      return false;
    at_ += sizeof mark;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

struct XlsCell {
  uint32_t value_at;  // where its value starts in the answer
  uint16_t column;
  uint8_t type;
};

struct XlsRow {
  uint32_t index;  // 0-based sheet row
  uint32_t first_cell;
};

struct XlsSheet {
  std::string name;
  uint8_t state = out::kSheetUnreadable;
  uint32_t declared_rows = 0;
  uint32_t declared_columns = 0;
  std::vector<XlsRow> rows;  // the rows that hold a cell, ascending
  std::vector<XlsCell> cells;
};

class XlsWorksheet : public Worksheet {
 public:
  XlsWorksheet(const std::string& answer, const XlsSheet& sheet) : answer_(answer), sheet_(sheet) {}

  size_t RowCount() const override { return sheet_.rows.size(); }
  int RowNumber(size_t row) const override { return static_cast<int>(sheet_.rows[row].index) + 1; }

  void RowCells(size_t row, std::vector<std::pair<int, std::string>>& cells) const override {
    cells.clear();
    if (row >= sheet_.rows.size()) return;
    auto [first, last] = CellsOf(row);
    for (const XlsCell* cell = first; cell != last; ++cell) {
      cells.emplace_back(cell->column, std::string());
      ValueText(*cell, cells.back().second);
    }
  }

  void CellText(size_t row, int column, std::string& text) const override {
    text.clear();
    if (row >= sheet_.rows.size() || column < 0) return;
    auto [first, last] = CellsOf(row);
    const XlsCell* cell =
        std::lower_bound(first, last, column, [](const XlsCell& c, int wanted) { return c.column < wanted; });
    if (cell != last && cell->column == column) ValueText(*cell, text);
  }

 private:
  std::pair<const XlsCell*, const XlsCell*> CellsOf(size_t row) const {
    const XlsCell* cells = sheet_.cells.data();
    uint32_t end = row + 1 < sheet_.rows.size() ? sheet_.rows[row + 1].first_cell
                                                : static_cast<uint32_t>(sheet_.cells.size());
    return {cells + sheet_.rows[row].first_cell, cells + end};
  }

  // Whole numbers as integers, other numbers as the spreadsheet shows them in its general format.
  void ValueText(const XlsCell& cell, std::string& text) const {
    const char* value = answer_.data() + cell.value_at;
    if (cell.type == out::kInt) {
      int32_t number;
      std::memcpy(&number, value, sizeof number);
      char digits[16];
      text.assign(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
    } else if (cell.type == out::kDouble) {
      double number;
      std::memcpy(&number, value, sizeof number);
      text = GeneralNumberText(number);
    } else {
      uint32_t length;
      std::memcpy(&length, value, sizeof length);
      text.assign(value + sizeof length, length);
    }
  }

  const std::string& answer_;
  const XlsSheet& sheet_;
};

class XlsWorkbook : public Workbook {
 public:
  XlsWorkbook(std::string answer, std::string file_name)
      : answer_(std::move(answer)), file_name_(std::move(file_name)) {}

  // The records, which start at `at`; false when the answer is not well formed.
  bool Decode(size_t at) {
    Cursor cursor(answer_, at);
    uint64_t previous = 0;  // row * 65536 + column + 1 of the sheet's cell before
    for (;;) {
      uint8_t record = 0;
      if (!cursor.Take(record)) return false;
      if (record == out::kEnd) return cursor.AtEnd();
      if (record == out::kSheet) {
        if (sheets_.size() == 0xFFFF) return false;
        XlsSheet& sheet = sheets_.emplace_back();
        std::string_view name;
        if (!cursor.TakeText(name) || !cursor.Take(sheet.state) || !cursor.Take(sheet.declared_rows) ||
            !cursor.Take(sheet.declared_columns)) {
          return false;
        }
        sheet.name = name;
        if (sheet.state != out::kSheetCells && sheet.state != out::kSheetUnreadable &&
            sheet.state != out::kSheetTooLarge) {
          return false;
        }
        // Whatever the reader says, this end never takes more than a catalogue's worth of grid.
        if (static_cast<uint64_t>(sheet.declared_rows) * sheet.declared_columns > out::kMaxSheetCells) {
          sheet.state = out::kSheetTooLarge;
        }
        previous = 0;
      } else if (record != out::kCell || sheets_.empty() || sheets_.back().state != out::kSheetCells ||
                 !TakeCell(cursor, sheets_.back(), previous)) {
        return false;
      }
    }
  }

  std::vector<std::string> SheetNames() const override {
    std::vector<std::string> names;
    for (const XlsSheet& sheet : sheets_) names.push_back(sheet.name);
    return names;
  }

  std::unique_ptr<Worksheet> OpenSheet(size_t index, std::string& error) override {
    if (index >= sheets_.size() || sheets_[index].state == out::kSheetUnreadable) {
      error = "The worksheet of \"" + file_name_ + "\" cannot be read. The menu was left as it was.";
      return nullptr;
    }
    if (sheets_[index].state == out::kSheetTooLarge) {
      error = "The worksheet \"" + sheets_[index].name + "\" of \"" + file_name_ + "\" spans more than " +
              std::to_string(out::kMaxSheetCells) +
              " cells, far more than a catalogue holds; it was not read. The menu was left as it was.";
      return nullptr;
    }
    return std::make_unique<XlsWorksheet>(answer_, sheets_[index]);
  }

 private:
  // One cell of `sheet`, which must come after the one at `previous`.
  static bool TakeCell(Cursor& cursor, XlsSheet& sheet, uint64_t& previous) {
    uint32_t row = 0;
    uint16_t column = 0;
    uint8_t type = 0;
    if (!cursor.Take(row) || !cursor.Take(column) || !cursor.Take(type)) return false;
    uint64_t place = static_cast<uint64_t>(row) * 65536 + column + 1;
    if (row >= sheet.declared_rows || column >= sheet.declared_columns || place <= previous) return false;
    previous = place;
    XlsCell cell{static_cast<uint32_t>(cursor.At()), column, type};
    bool taken = false;
    if (type == out::kInt) {
      int32_t number;
      taken = cursor.Take(number);
    } else if (type == out::kDouble) {
      double number;
      taken = cursor.Take(number);
    } else if (type == out::kText) {
      std::string_view text;
      taken = cursor.TakeText(text);
    }
    if (!taken) return false;
    if (sheet.rows.empty() || sheet.rows.back().index != row) {
      sheet.rows.push_back({row, static_cast<uint32_t>(sheet.cells.size())});
    }
    sheet.cells.push_back(cell);
    return true;
  }

  std::string answer_;
  std::string file_name_;
  std::vector<XlsSheet> sheets_;
};

}  // namespace

ProcessLimits XlsReaderLimits() {
  ProcessLimits limits;
  limits.memory_bytes = kReaderMemoryMb << 20;
  limits.cpu_seconds = kReaderCpuSeconds;
  limits.wall_time = std::chrono::seconds(kReaderWallSeconds);
  limits.output_bytes = kReaderOutputMb << 20;
  return limits;
}

std::unique_ptr<Workbook> XlsWorkbookFromReaderOutput(std::string output, const std::string& path,
                                                      std::string& error) {
  std::string file_name = FileNameOf(path);
  if (output.size() > UINT32_MAX) {
    error = ReadFailure(path, "the .xls reader's answer is too large");
    return nullptr;
  }
  Cursor cursor(output);
  uint32_t status = 0;
  if (!cursor.TakeMark(out::kMagic) || !cursor.Take(status)) {
    error = ReadFailure(path, "the .xls reader gave an answer that cannot be used");
    return nullptr;
  }
  switch (status) {
    case out::kOpened:
      break;
    case out::kFileNotFound:
      error = CannotOpenMessage(path);
      return nullptr;
    case out::kOutOfMemory:
      error = ReadFailure(path, "reading it needs more than " + SizeText(kReaderMemoryMb << 20) +
                                    " of memory, far more than a catalogue takes");
      return nullptr;
    case out::kPasswordProtected:
      error = "\"" + file_name + "\" is protected by a password. The menu was left as it was.";
      return nullptr;
    default:
      error = "\"" + file_name +
              "\" is not an Excel 97-2003 or Excel 5.0/95 workbook that can be read. The menu was left as it "
              "was.";
      return nullptr;
  }
  size_t sheets_at = cursor.At();
  // The cells point into the answer, which the workbook keeps.
  auto workbook = std::make_unique<XlsWorkbook>(std::move(output), file_name);
  if (!workbook->Decode(sheets_at)) {
    error = ReadFailure(path, "the .xls reader gave an answer that cannot be used");
    return nullptr;
  }
  return workbook;
}

std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path, std::string& error,
                                          const ProcessLimits& limits) {
  ProcessRun run = RunLimited(ReaderProgram(), {path}, limits);
  switch (run.end) {
    case ProcessRun::End::kNotStarted:
      error = ReadFailure(path, "the .xls reader could not be started (" + run.error + ")");
      return nullptr;
    case ProcessRun::End::kTimedOut:
      error = ReadFailure(
          path, "reading it took longer than " + SecondsText(limits.wall_time) + ", so it was stopped");
      return nullptr;
    case ProcessRun::End::kOutputTooLarge:
      error = ReadFailure(path, "it holds more than " + SizeText(limits.output_bytes) +
                                    " of cells, far more than a catalogue takes");
      return nullptr;
    case ProcessRun::End::kSignalled:
      if (run.signal == SIGXCPU) {
        error = ReadFailure(path, "reading it took more than " +
                                      SecondsText(std::chrono::seconds(limits.cpu_seconds)) +
                                      " of processor time, so it was stopped");
      } else if (run.signal == SIGKILL) {
        error =
            ReadFailure(path, "the .xls reader was stopped by the system (out of memory or processor time)");
      } else {
        error = ReadFailure(path, std::string("the .xls reader stopped on damaged data in it (") +
                                      strsignal(run.signal) + "); save it again from a spreadsheet program");
      }
      return nullptr;
    case ProcessRun::End::kExited:
      break;
  }
  if (run.exit_code == out::kExitOutOfMemory) {
    error = ReadFailure(path, "reading it needs more than " + SizeText(limits.memory_bytes) +
                                  " of memory, far more than a catalogue takes");
    return nullptr;
  }
  if (run.exit_code == 127) {  // what a child that could not run the program ends with
    error = ReadFailure(path, "the .xls reader could not be started");
    return nullptr;
  }
  if (run.exit_code != 0) {
    error =
        ReadFailure(path, "the .xls reader stopped on damaged data in it (exit status " +
                              std::to_string(run.exit_code) + "); save it again from a spreadsheet program");
    return nullptr;
  }
  return XlsWorkbookFromReaderOutput(std::move(run.output), path, error);
}

}  // namespace tabulo
