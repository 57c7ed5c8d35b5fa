#include "designer/import/catalogue_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/files.h"
#include "designer/document/numbers.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/import_report.h"
#include "designer/import/import_texts.h"
#include "designer/import/spreadsheet.h"

namespace tabulo {
namespace {

struct ExportRow {
  std::string number, description, price;
  std::vector<std::string> texts;  // languages 1..5
};

std::vector<std::string> HeaderOf(const MenuDocument& doc) {
  std::vector<std::string> header = {kPluCodeHeader, kDescriptionHeader, kPriceHeader};
  for (int k = 1; k <= kLanguages; ++k)
    header.push_back(doc.Lang(0, k).empty() ? kDefaultLanguageNames[k - 1] : doc.Lang(0, k));
  return header;
}

std::vector<ExportRow> RowsOf(const MenuDocument& doc) {
  std::vector<ExportRow> rows;
  int count = std::clamp(doc.NumPlus, 0, kMaxPlus);
  for (int i = 0; i < count; ++i) {
    std::string number(Trim(doc.PluNumber[i]));
    if (number.empty() || number == "0") continue;  // unused or deleted
    ExportRow row{number, doc.PluDescription[i], doc.PluPrice[i], {}};
    std::optional<int> value = PluNumberOf(number);
    for (int k = 1; k <= kLanguages; ++k) row.texts.push_back(value ? doc.Lang(*value, k) : std::string());
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

bool WriteCsv(const std::string& path, const std::vector<std::string>& header,
              const std::vector<ExportRow>& rows, std::string& error) {
  std::string text = "\xEF\xBB\xBF";
  auto line = [&](const std::vector<const std::string*>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) text += (i ? "," : "") + Quoted(*fields[i]);
    text += "\r\n";
  };
  std::vector<const std::string*> fields;
  for (const std::string& name : header) fields.push_back(&name);
  line(fields);
  for (const ExportRow& row : rows) {
    fields = {&row.number, &row.description, &row.price};
    for (const std::string& t : row.texts) fields.push_back(&t);
    line(fields);
  }
  FileBatch batch;
  batch.Add(path, std::move(text));
  FileBatch::Result written = batch.Commit();
  error = written.error;
  return written.ok;
}

// The value of a whole number, or of a price with two decimals, which a number cell (formatted "0.00" for the
// price) gives back as the same text; nothing for any other text, which is written as text.
std::optional<double> NumberKeepingText(const std::string& text, bool cents) {
  size_t digits = text.size() - (cents ? 3 : 0);
  if (text.empty() || text.size() > 15 || text.size() < (cents ? 4u : 1u)) return std::nullopt;
  if (cents && text[digits] != '.') return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == digits) continue;
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  if (digits > 1 && text[0] == '0') return std::nullopt;  // "007" would come back as "7"
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool WriteXlsx(const std::string& path, const std::vector<std::string>& header,
               const std::vector<ExportRow>& rows, std::string& error) {
  lxw_workbook* workbook = workbook_new(path.c_str());
  if (!workbook) {
    error = "cannot create the file";
    return false;
  }
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, kImportSheetName);
  lxw_format* cents = workbook_add_format(workbook);
  format_set_num_format(cents, "0.00");
  for (size_t c = 0; c < header.size(); ++c)
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), header[c].c_str(), nullptr);
  lxw_row_t r = 1;
  for (const ExportRow& row : rows) {
    if (std::optional<double> number = NumberKeepingText(row.number, false)) {
      worksheet_write_number(sheet, r, 0, *number, nullptr);
    } else {
      worksheet_write_string(sheet, r, 0, row.number.c_str(), nullptr);
    }
    worksheet_write_string(sheet, r, 1, row.description.c_str(), nullptr);
    if (std::optional<double> price = NumberKeepingText(row.price, true)) {
      worksheet_write_number(sheet, r, 2, *price, cents);
    } else if (std::optional<double> whole = NumberKeepingText(row.price, false)) {
      worksheet_write_number(sheet, r, 2, *whole, nullptr);
    } else {
      worksheet_write_string(sheet, r, 2, row.price.c_str(), nullptr);
    }
    for (size_t k = 0; k < row.texts.size(); ++k) {
      if (!row.texts[k].empty())
        worksheet_write_string(sheet, r, static_cast<lxw_col_t>(3 + k), row.texts[k].c_str(), nullptr);
    }
    ++r;
  }
  lxw_error closed = workbook_close(workbook);
  if (closed != LXW_NO_ERROR) {
    error = lxw_strerror(closed);
    return false;
  }
  return true;
}

}  // namespace

ExportResult ExportCatalogue(const MenuDocument& doc, const std::string& path) {
  ExportResult result;
  std::vector<ExportRow> rows = RowsOf(doc);
  std::vector<std::string> header = HeaderOf(doc);
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string error;
  bool written = false;
  if (extension == ".xlsx") {
    // Written beside the file and moved over it, so that a failure never leaves half a workbook.
    std::string part = path + ".part";
    written = WriteXlsx(part, header, rows, error);
    std::error_code moved;
    if (written) std::filesystem::rename(part, path, moved);
    if (moved) {
      written = false;
      error = moved.message();
    }
    std::error_code ignored;
    if (!written) std::filesystem::remove(part, ignored);
  } else {
    written = WriteCsv(path, header, rows, error);
  }
  if (!written) {
    result.message = "Cannot write \"" + path + "\": " + error + ".";
    return result;
  }
  result.ok = true;
  result.rows = static_cast<int>(rows.size());
  result.message = std::to_string(result.rows) + (result.rows == 1 ? " PLU" : " PLUs") + " exported to \"" +
                   FileNameOf(path) + "\".";
  return result;
}

}  // namespace tabulo
