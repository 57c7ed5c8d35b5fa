// tabulo-xls-reader FILE: reads one .xls workbook with FreeXL and writes every worksheet with its cells to
// standard output (xls_reader_output.h).
//
// A program of its own because FreeXL 1.0.6 has faults on damaged files that no caller can avoid (it reads
// past its own buffers and has asked for gigabytes): here they end this process, under the memory and time
// limits its parent sets, never the designer or `tabulo`. It links FreeXL alone (the C++ runtime statically),
// so that it starts fast.

#include <freexl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "designer/import/xls_reader_output.h"

namespace {

using namespace tabulo::xls_output;

// The answer, written in pieces as it grows: a process starts with no memory of its own, and every page it
// touches costs a fault, so one small buffer reused beats the whole answer held at once.
class Output {
 public:
  Output() { bytes_.reserve(kPieceSize + 1024); }
  template <class T>
  void Put(T value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void PutText(const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    Put(static_cast<uint32_t>(length));
    bytes_.append(text ? text : "", length);
  }
  void PutMagic() { bytes_.append(kMagic, sizeof kMagic); }
  // Writes what is held once it fills a piece, and everything at the end; false when a write fails.
  bool Flush(bool all = false) {
    if (!all && bytes_.size() < kPieceSize) return true;
    for (size_t done = 0; done < bytes_.size();) {
      ssize_t wrote = ::write(STDOUT_FILENO, bytes_.data() + done, bytes_.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      done += static_cast<size_t>(wrote);
    }
    bytes_.clear();
    return true;
  }

 private:
  std::string bytes_;
};

// One cell, when it holds a value.
bool PutCell(Output& out, const void* handle, uint32_t row, uint16_t column) {
  FreeXL_CellValue value;
  if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK) return false;
  switch (value.type) {
    case FREEXL_CELL_INT:
      out.Put(kCell);
      out.Put(row);
      out.Put(column);
      out.Put(kInt);
      out.Put(static_cast<int32_t>(value.value.int_value));
      return true;
    case FREEXL_CELL_DOUBLE:
      out.Put(kCell);
      out.Put(row);
      out.Put(column);
      out.Put(kDouble);
      out.Put(value.value.double_value);
      return true;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
      if (!value.value.text_value || !*value.value.text_value) return false;
      out.Put(kCell);
      out.Put(row);
      out.Put(column);
      out.Put(kText);
      out.PutText(value.value.text_value);
      return true;
    default:
      return false;  // empty, or a formula (FreeXL gives no result for those)
  }
}

// False when the answer cannot be written.
bool PutSheet(Output& out, const void* handle, unsigned short index) {
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_select_active_worksheet(handle, index) != FREEXL_OK ||
      freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
    out.Put(kSheetUnreadable);
    out.Put(uint32_t{0});
    out.Put(uint32_t{0});
    return true;
  }
  bool too_large = static_cast<uint64_t>(rows) * columns > kMaxSheetCells;
  out.Put(too_large ? kSheetTooLarge : kSheetCells);
  out.Put(static_cast<uint32_t>(rows));
  out.Put(static_cast<uint32_t>(columns));
  if (too_large) return true;
  for (uint32_t row = 0; row < rows; ++row) {
    for (uint16_t column = 0; column < columns; ++column) PutCell(out, handle, row, column);
    if (!out.Flush()) return false;
  }
  return true;
}

Status Open(const char* path, const void*& handle) {
  int opened = freexl_open(path, &handle);
  // FreeXL 1.0.6 says FREEXL_OK without a handle when it cannot allocate what the file declares (a sheet's
  // whole grid, under this program's memory limit).
  if (opened == FREEXL_OK && !handle) return kOutOfMemory;
  if (opened != FREEXL_OK) {
    if (handle) freexl_close(handle);
    handle = nullptr;
    return opened == FREEXL_FILE_NOT_FOUND        ? kFileNotFound
           : opened == FREEXL_INSUFFICIENT_MEMORY ? kOutOfMemory
                                                  : kNotAWorkbook;
  }
  unsigned int password = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED) {
    freexl_close(handle);
    handle = nullptr;
    return kPasswordProtected;
  }
  return kOpened;
}

// False when the answer cannot be written.
bool PutSheets(Output& out, const void* handle) {
  unsigned int count = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) count = 0;
  for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK) break;
    out.Put(kSheet);
    out.PutText(name);
    if (!PutSheet(out, handle, static_cast<unsigned short>(i))) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    static const char kUsage[] = "usage: tabulo-xls-reader FILE.xls\n";
    [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, kUsage, sizeof kUsage - 1);
    return kExitUsage;
  }
  try {
    Output out;
    const void* handle = nullptr;
    Status status = Open(argv[1], handle);
    out.PutMagic();
    out.Put(static_cast<uint32_t>(status));
    bool written = status != kOpened || PutSheets(out, handle);
    if (handle) freexl_close(handle);
    if (status == kOpened) out.Put(kEnd);
    return written && out.Flush(true) ? 0 : kExitWriteFailed;
  } catch (const std::bad_alloc&) {
    return kExitOutOfMemory;
  }
}
