#pragma once
// .xls workbooks, Excel 5.0/95 (BIFF5) and Excel 97-2003 (BIFF8), read with FreeXL in a process of its own:
// the program tabulo-xls-reader (xls_reader_main.cpp), beside the running program. FreeXL 1.0.6 reads past
// its own buffers on some damaged files (tests/fixtures/import/faults/) and allocates a sheet's whole
// declared grid when it opens a file (65536 x 256 cells cost about 280 MB): there, a crash, a memory or time
// limit or an answer that cannot be used ends the import with a message, and this process only ever holds the
// cells the reader sent.
//
// FreeXL gives whole numbers as integers, dates as text and formula cells as empty (it has no way to give
// their results, so the catalogue reader refuses such a row and suggests .xlsx).

#include <memory>
#include <string>

#include "designer/import/spreadsheet.h"
#include "platform/limited_process.h"

namespace tabulo {

// What the reader may take: 256 MB of memory (the bound of any import), 20 s of processor time, 30 s in
// all, an answer of 64 MB.
ProcessLimits XlsReaderLimits();

// The workbook, or nothing with the message to show in `error`.
std::unique_ptr<Workbook> OpenXlsWorkbook(const std::string& path, std::string& error,
                                          const ProcessLimits& limits = XlsReaderLimits());

// The workbook in the reader's answer (xls_reader_output.h) for the file at `path`, or nothing with the
// message in `error` when the answer says the file cannot be read or cannot itself be used.
std::unique_ptr<Workbook> XlsWorkbookFromReaderOutput(std::string output, const std::string& path,
                                                      std::string& error);

}  // namespace tabulo
