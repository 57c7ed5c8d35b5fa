#include "designer/import/catalogue_imports.h"

#include "base/files.h"
#include "designer/document/numbers.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/catalogue_file.h"
#include "designer/import/csv_reader.h"
#include "designer/import/imported_text.h"
#include "designer/import/interchange_file.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

std::string InterchangePath(const ImportOptions& options) {
  return options.interchange_path.empty() ? InterchangeFile() : options.interchange_path;
}

bool HasComma(const std::string& text) {
  return text.find(',') != std::string::npos;
}

// The back-office price as every import writes a price ("3,20", "€ 3,20" and a 3.2 cell all give "3.20"); a
// text that is no price keeps the original rule, its first comma made a point.
std::string PointForFirstComma(std::string price) {
  if (std::optional<std::string> normal = NormalisePrice(PriceOfNumberCell(price))) return *normal;
  size_t comma = price.find(',');
  if (comma != std::string::npos) price[comma] = '.';
  return price;
}

// Lines for the interchange file converted from sheets, and the rows left out.
struct Conversion {
  std::string text;  // the lines, each ended by CR LF
  int lines = 0;
  std::vector<SkippedLine> skipped;
  std::string files;  // the files read, for the message when nothing is found

  void Line(const std::string& line) {
    text.append(line);
    EndLine();
  }
  // Ends a line appended to `text` in place.
  void EndLine() {
    text.append("\r\n");
    ++lines;
  }
  void Skip(const std::string& file, int row, std::string reason) {
    skipped.push_back({file, SkippedLine::Unit::Row, row, std::move(reason)});
  }
  void SkipBeyond(const std::string& file, const SheetTable& table) {
    for (int row : table.rows_beyond) Skip(file, row, kSkipCatalogueFull);
  }
};

ImportResult Failed(std::string message) {
  ImportResult result;
  result.message = std::move(message);
  return result;
}

// Stores staged entries as the new menu, or leaves the document when there are none.
ImportResult Store(MenuDocument& doc, StagedCatalogue staged, std::vector<SkippedLine> skipped,
                   const std::string& files, const ImportOptions& options) {
  ImportResult result;
  result.skipped = std::move(skipped);
  if (staged.entries.empty()) {
    result.message = NothingImportedMessage(files, result.skipped);
    return result;
  }
  StoreCatalogue(doc, staged.entries, options.new_menu);
  result.ok = true;
  result.imported = doc.NumPlus;
  result.message = ImportedMessage(result.imported, "", result.skipped);
  return result;
}

// The spreadsheet imports' common end: the interchange file written anew and read back as the last sent
// list is read. Nothing is written when there is nothing to import, so the file keeps the last sent list.
ImportResult ThroughInterchangeFile(MenuDocument& doc, Conversion& conversion, const ImportOptions& options) {
  if (conversion.lines == 0) return Failed(NothingImportedMessage(conversion.files, conversion.skipped));
  std::string path = InterchangePath(options);
  InterchangeWrite written = WriteInterchangeText(path, std::move(conversion.text));
  if (!written.ok) return Failed(written.error);
  StagedCatalogue staged;
  if (!ReadInterchangeFile(path, staged)) return Failed(CannotOpenMessage(path));
  std::vector<SkippedLine> skipped = std::move(conversion.skipped);
  skipped.insert(skipped.end(), staged.skipped.begin(), staged.skipped.end());
  return Store(doc, std::move(staged), std::move(skipped), conversion.files, options);
}

SheetRead ReadFamilies(const std::string& path, const ImportOptions& options) {
  return ReadSheetColumns(path, options.kind, {kFamilyComandoHeader, kFamilyNumeroHeader, kFamilyNomeHeader},
                          kMaxPlus);
}

}  // namespace

std::string PluInterchangeLine(const std::string& code, const std::string& price,
                               const std::string& description) {
  std::string line;
  AppendPluInterchangeLine(line, code, price, description);
  return line;
}

void AppendPluInterchangeLine(std::string& text, std::string_view code, std::string_view price,
                              std::string_view description) {
  text.append("0, ").append(code).append(",0, ").append(code).append(",").append(price).append(",").append(
      description);
}

std::string FamilyInterchangeLine(const std::string& numero, const std::string& comando,
                                  const std::string& nome) {
  return numero + ",0, " + comando + ", y, x, " + nome;
}

std::string ProductInterchangeLine(const std::string& numero, const std::string& venda,
                                   const std::string& plu) {
  return "0, " + numero + ",0, " + GeneralNumberText(NumericValue(numero) + 32) + ", " +
         PointForFirstComma(venda) + ", " + plu;
}

ImportResult ImportFromDll(MenuDocument& doc, const ImportOptions& options) {
  std::string path = InterchangePath(options);
  StagedCatalogue staged;
  if (!ReadInterchangeFile(path, staged)) return Failed(CannotOpenMessage(path));
  std::vector<SkippedLine> skipped = staged.skipped;
  return Store(doc, std::move(staged), std::move(skipped), FileNameOf(path), options);
}

ImportResult ImportCSV(MenuDocument& doc, const std::string& path, const ImportOptions& options) {
  CatalogueFile read = ReadCatalogueFile(path, options.kind);
  if (!read.ok) return Failed(read.error);
  std::vector<SkippedLine> skipped = read.staged.skipped;
  return Store(doc, std::move(read.staged), std::move(skipped), FileNameOf(path), options);
}

ImportResult ImportFromXls(MenuDocument& doc, const std::string& path, const ImportOptions& options) {
  CatalogueFile read = ReadCatalogueFile(path, options.kind);
  if (!read.ok) return Failed(read.error);
  Conversion conversion;
  conversion.files = FileNameOf(path);
  conversion.skipped = std::move(read.staged.skipped);
  for (const CatalogueEntry& entry : read.staged.entries) {
    AppendPluInterchangeLine(conversion.text, entry.PluNumber, entry.PluPrice, entry.PluDescription);
    conversion.EndLine();
  }
  return ThroughInterchangeFile(doc, conversion, options);
}

std::string CheckMercatoFamilies(const std::string& families_path, const ImportOptions& options) {
  SheetRead families = ReadFamilies(families_path, options);
  return families.ok ? "" : families.error;
}

ImportResult ImportMercatoXls(MenuDocument& doc, const std::string& families_path,
                              const std::string& products_path, const ImportOptions& options) {
  SheetRead families = ReadFamilies(families_path, options);
  if (!families.ok) return Failed(families.error);
  Conversion conversion;
  std::string families_file = FileNameOf(families_path);
  std::string products_file = FileNameOf(products_path);
  conversion.files = families_file + "\" and \"" + products_file;
  // Families with command number 0 are left out on purpose (the back office keeps them off the terminals):
  // told apart from rows that could not be taken, so a normal import reports no skipped rows.
  std::vector<int> left_out;
  for (const SheetRow& row : families.table.rows) {
    const std::string& comando = row.values[0];
    const std::string& numero = row.values[1];
    const std::string& nome = row.values[2];
    if (comando == "0") {
      left_out.push_back(row.number);
    } else if (HasComma(numero)) {
      conversion.Skip(families_file, row.number, SkipCommaIn(kFamilyNumeroHeader));
    } else if (HasComma(comando)) {
      conversion.Skip(families_file, row.number, SkipCommaIn(kFamilyComandoHeader));
    } else {
      conversion.Line(FamilyInterchangeLine(numero, comando, nome));
    }
  }
  conversion.SkipBeyond(families_file, families.table);
  int family_lines = conversion.lines;

  SheetRead products = ReadSheetColumns(products_path, options.kind,
                                        {kProductNumeroHeader, kProductVendaHeader, kProductPluHeader},
                                        kMaxPlus - family_lines);
  if (!products.ok) return Failed(products.error);
  for (const SheetRow& row : products.table.rows) {
    const std::string& numero = row.values[0];
    const std::string& venda = row.values[1];
    const std::string& plu = row.values[2];
    if (HasComma(numero)) {
      conversion.Skip(products_file, row.number, SkipCommaIn(kProductNumeroHeader));
    } else if (HasComma(PointForFirstComma(venda))) {
      conversion.Skip(products_file, row.number, SkipCommaIn(kProductVendaHeader));
    } else {
      conversion.Line(ProductInterchangeLine(numero, venda, plu));
    }
  }
  conversion.SkipBeyond(products_file, products.table);

  ImportResult result = ThroughInterchangeFile(doc, conversion, options);
  const std::string left_out_text = LeftOutFamiliesText(families_file, left_out);
  if (result.ok) {
    result.families = std::min(family_lines, result.imported);
    result.products = result.imported - result.families;
    result.message = ImportedMessage(
        result.imported,
        " (" + std::to_string(result.families) + (result.families == 1 ? " family, " : " families, ") +
            std::to_string(result.products) + (result.products == 1 ? " product)" : " products)"),
        result.skipped);
  }
  // After a sentence of its own; after the list of skipped rows, on a line of its own.
  if (!left_out_text.empty()) {
    const bool own_line = !result.ok || !result.skipped.empty();
    result.message += own_line ? "\n" + left_out_text.substr(1) : left_out_text;
  }
  return result;
}

}  // namespace tabulo
