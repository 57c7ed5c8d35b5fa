#include "designer/import/xlsx_reader.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>
#include <string_view>

#include "designer/document/numbers.h"
#include "designer/import/import_report.h"

namespace tabulo {
namespace {

// A part larger than this is refused rather than inflated: a small archive can unpack to gigabytes.
constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t{256} << 20;
constexpr int kMaxRow = 1048576;
constexpr int kMaxColumn = 16384;
constexpr unsigned int kParseOptions = pugi::parse_minimal | pugi::parse_escapes | pugi::parse_cdata;

// Element names are compared without their prefix: some writers use "x:row" with a prefixed namespace.
std::string_view LocalName(const char* name) {
  std::string_view text(name);
  size_t colon = text.find(':');
  return colon == std::string_view::npos ? text : text.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node node, std::string_view name) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && LocalName(child.name()) == name) return child;
  }
  return {};
}

pugi::xml_node Root(const pugi::xml_document& doc, std::string_view name) {
  pugi::xml_node root = doc.document_element();
  return root && LocalName(root.name()) == name ? root : pugi::xml_node();
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Text of a shared string or an inline string: plain, or the runs of rich text joined; phonetic hints of
// East Asian text (rPh) are not part of the value.
std::string StringItemText(pugi::xml_node item) {
  std::string text;
  for (pugi::xml_node child = item.first_child(); child; child = child.next_sibling()) {
    std::string_view name = LocalName(child.name());
    if (name == "t") {
      text += child.child_value();
    } else if (name == "r") {
      pugi::xml_node run_text = Child(child, "t");
      if (run_text) text += run_text.child_value();
    }
  }
  return text;
}

// "AB12" to column 27 (0-based) and row 12; false for anything else.
bool ParseReference(std::string_view ref, int& row, int& column) {
  size_t i = 0;
  int col = 0;
  while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
    col = col * 26 + ((ref[i] | 0x20) - 'a' + 1);
    if (col > kMaxColumn) return false;
    ++i;
  }
  if (i == 0 || i == ref.size()) return false;
  int number = 0;
  for (; i < ref.size(); ++i) {
    if (ref[i] < '0' || ref[i] > '9') return false;
    number = number * 10 + (ref[i] - '0');
    if (number > kMaxRow) return false;
  }
  if (number < 1) return false;
  row = number;
  column = col - 1;
  return true;
}

bool ParsePositive(std::string_view text, int limit, int& value) {
  int parsed = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || parsed < 1 || parsed > limit)
    return false;
  value = parsed;
  return true;
}

// A folder path joined with a relationship target, "." and ".." resolved; targets starting with "/" are
// taken from the archive's root.
std::string ResolvePart(const std::string& folder, std::string_view target) {
  std::string joined =
      !target.empty() && target[0] == '/' ? std::string(target.substr(1)) : folder + std::string(target);
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find_first_of("/\\", start);
    if (end == std::string::npos) end = joined.size();
    std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
  return path;
}

std::string FolderOf(const std::string& part) {
  size_t slash = part.rfind('/');
  return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

class Archive {
 public:
  explicit Archive(std::string bytes) : bytes_(std::move(bytes)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
    if (source) {
      archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
      if (!archive_) zip_source_free(source);
    }
    zip_error_fini(&error);
  }
  ~Archive() {
    if (archive_) zip_discard(archive_);
  }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool Opened() const { return archive_ != nullptr; }
  bool Has(const std::string& name) const {
    return archive_ && zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE) >= 0;
  }

  // The unpacked bytes of a part; false when it is missing, damaged or too large.
  bool Read(const std::string& name, std::string& out) const {
    out.clear();
    if (!archive_) return false;
    zip_int64_t index = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return false;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE)) {
      if (stat.size > kMaxPartBytes) return false;
      out.reserve(static_cast<size_t>(stat.size));
    }
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (!file) return false;
    char buffer[65536];
    bool ok = true;
    for (;;) {
      zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
      if (got < 0) {
        ok = false;
        break;
      }
      if (got == 0) break;
      if (out.size() + static_cast<size_t>(got) > kMaxPartBytes) {
        ok = false;
        break;
      }
      out.append(buffer, static_cast<size_t>(got));
    }
    zip_fclose(file);
    return ok;
  }

 private:
  std::string bytes_;  // the archive reads from this buffer for as long as it is open
  zip_t* archive_ = nullptr;
};

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // resolved part name
};

std::vector<Relationship> ReadRelationships(const Archive& archive, const std::string& rels_part,
                                            const std::string& folder) {
  std::vector<Relationship> relationships;
  std::string xml;
  if (!archive.Read(rels_part, xml)) return relationships;
  pugi::xml_document doc;
  if (!doc.load_buffer_inplace(xml.data(), xml.size(), kParseOptions)) return relationships;
  pugi::xml_node root = Root(doc, "Relationships");
  for (pugi::xml_node rel = root.first_child(); rel; rel = rel.next_sibling()) {
    if (LocalName(rel.name()) != "Relationship") continue;
    if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
    relationships.push_back({rel.attribute("Id").value(), rel.attribute("Type").value(),
                             ResolvePart(folder, rel.attribute("Target").value())});
  }
  return relationships;
}

class XlsxWorksheet : public Worksheet {
 public:
  XlsxWorksheet(std::string xml, const std::vector<std::string>& shared)
      : xml_(std::move(xml)), shared_(shared) {}

  bool Load() {
    if (!doc_.load_buffer_inplace(xml_.data(), xml_.size(), kParseOptions)) return false;
    pugi::xml_node data = Child(Root(doc_, "worksheet"), "sheetData");
    int row_number = 0;
    for (pugi::xml_node row = data.first_child(); row; row = row.next_sibling()) {
      if (LocalName(row.name()) != "row") continue;
      int declared = 0;
      row_number = ParsePositive(row.attribute("r").value(), kMaxRow, declared) ? declared : row_number + 1;
      if (row_number > kMaxRow) break;
      int column = -1;
      for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
        if (LocalName(cell.name()) != "c") continue;
        // A cell without a reference follows the one before it; one with a reference outside the sheet's
        // grid is left out rather than put somewhere it was not.
        int cell_row = row_number, cell_column = column + 1;
        std::string_view ref = cell.attribute("r").value();
        if (!ref.empty() && !ParseReference(ref, cell_row, cell_column)) continue;
        if (cell_column >= kMaxColumn) continue;
        column = cell_column;
        cells_.push_back({cell_row, cell_column, cell});
      }
    }
    auto before = [](const Cell& a, const Cell& b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(cells_.begin(), cells_.end(), before))
      std::stable_sort(cells_.begin(), cells_.end(), before);
    // A cell given twice keeps its last value, as a later write would.
    size_t kept = 0;
    for (size_t i = 0; i < cells_.size(); ++i) {
      if (kept > 0 && cells_[kept - 1].row == cells_[i].row && cells_[kept - 1].column == cells_[i].column) {
        cells_[kept - 1] = cells_[i];
      } else {
        cells_[kept++] = cells_[i];
      }
    }
    cells_.resize(kept);
    for (size_t i = 0; i < cells_.size(); ++i) {
      if (i == 0 || cells_[i].row != cells_[i - 1].row) row_starts_.push_back(i);
    }
    row_starts_.push_back(cells_.size());
    return true;
  }

  size_t RowCount() const override { return row_starts_.size() - 1; }
  int RowNumber(size_t row) const override { return cells_[row_starts_[row]].row; }

  void RowCells(size_t row, std::vector<std::pair<int, std::string>>& cells) const override {
    cells.clear();
    std::string text;
    for (size_t i = row_starts_[row]; i < row_starts_[row + 1]; ++i) {
      Text(cells_[i].node, text);
      if (!text.empty()) cells.emplace_back(cells_[i].column, text);
    }
  }

  void CellText(size_t row, int column, std::string& text) const override {
    auto begin = cells_.begin() + static_cast<std::ptrdiff_t>(row_starts_[row]);
    auto end = cells_.begin() + static_cast<std::ptrdiff_t>(row_starts_[row + 1]);
    auto found =
        std::lower_bound(begin, end, column, [](const Cell& cell, int c) { return cell.column < c; });
    if (found != end && found->column == column) {
      Text(found->node, text);
    } else {
      text.clear();
    }
  }

 private:
  struct Cell {
    int row;
    int column;
    pugi::xml_node node;
  };

  void Text(pugi::xml_node cell, std::string& text) const {
    std::string_view type;
    for (pugi::xml_attribute attribute = cell.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
      if (attribute.name()[0] == 't' && attribute.name()[1] == '\0') type = attribute.value();
    }
    pugi::xml_node value_node = Child(cell, "v");
    std::string_view value = value_node ? value_node.child_value() : "";
    if (type == "s") {
      size_t index = 0;
      std::string_view digits = Trim(value);
      auto result = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (result.ec != std::errc() || result.ptr != digits.data() + digits.size() ||
          index >= shared_.size()) {
        text.clear();
      } else {
        text.assign(shared_[index]);
      }
    } else if (type == "inlineStr") {
      pugi::xml_node inline_string = Child(cell, "is");
      text = inline_string ? StringItemText(inline_string) : std::string(value);
    } else if (type == "b") {
      std::string_view flag = Trim(value);
      text = flag.empty() ? "" : flag == "0" ? "FALSE" : "TRUE";
    } else if (type == "str" || type == "e" || type == "d") {
      text.assign(value);
    } else {
      // A number (type "n" or none).
      std::string_view number = Trim(value);
      double parsed = 0;
      auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
      if (!number.empty() && result.ec == std::errc() && result.ptr == number.data() + number.size() &&
          std::isfinite(parsed)) {
        text = GeneralNumberText(parsed);
      } else {
        text.assign(number);
      }
    }
  }

  std::string xml_;  // parsed in place: the document points into it
  pugi::xml_document doc_;
  const std::vector<std::string>& shared_;
  std::vector<Cell> cells_;
  std::vector<size_t> row_starts_;  // first cell of each stored row, then the end
};

class XlsxWorkbook : public Workbook {
 public:
  XlsxWorkbook(std::string bytes, std::string file_name)
      : archive_(std::move(bytes)), file_name_(std::move(file_name)) {}

  // False when the archive or its workbook part cannot be read.
  bool Load() {
    if (!archive_.Opened()) return false;
    std::string workbook_part = "xl/workbook.xml";
    for (const Relationship& rel : ReadRelationships(archive_, "_rels/.rels", "")) {
      if (EndsWith(rel.type, "/officeDocument")) {
        workbook_part = rel.target;
        break;
      }
    }
    std::string folder = FolderOf(workbook_part);
    std::string rels_part = folder + "_rels/" + workbook_part.substr(folder.size()) + ".rels";
    std::vector<Relationship> relationships = ReadRelationships(archive_, rels_part, folder);

    std::string xml;
    if (!archive_.Read(workbook_part, xml)) return false;
    pugi::xml_document doc;
    if (!doc.load_buffer_inplace(xml.data(), xml.size(), kParseOptions)) return false;
    pugi::xml_node sheets = Child(Root(doc, "workbook"), "sheets");
    if (!Root(doc, "workbook")) return false;
    int position = 0;
    for (pugi::xml_node sheet = sheets.first_child(); sheet; sheet = sheet.next_sibling()) {
      if (LocalName(sheet.name()) != "sheet") continue;
      ++position;
      std::string id;
      for (pugi::xml_attribute attribute = sheet.first_attribute(); attribute;
           attribute = attribute.next_attribute()) {
        std::string_view name = attribute.name();
        if (name.find(':') != std::string_view::npos && LocalName(attribute.name()) == "id")
          id = attribute.value();
      }
      std::string part;
      bool worksheet = true;
      for (const Relationship& rel : relationships) {
        if (rel.id == id) {
          part = rel.target;
          worksheet = EndsWith(rel.type, "/worksheet");
          break;
        }
      }
      // Without relationships, the parts carry their usual names.
      if (part.empty() && relationships.empty())
        part = folder + "worksheets/sheet" + std::to_string(position) + ".xml";
      if (!worksheet || part.empty()) continue;
      sheets_.push_back({sheet.attribute("name").value(), part});
    }

    std::string shared_part;
    for (const Relationship& rel : relationships) {
      if (EndsWith(rel.type, "/sharedStrings")) shared_part = rel.target;
    }
    if (shared_part.empty() && archive_.Has(folder + "sharedStrings.xml"))
      shared_part = folder + "sharedStrings.xml";
    if (!shared_part.empty()) {
      std::string shared_xml;
      pugi::xml_document shared_doc;
      if (!archive_.Read(shared_part, shared_xml) ||
          !shared_doc.load_buffer_inplace(shared_xml.data(), shared_xml.size(), kParseOptions)) {
        return false;
      }
      pugi::xml_node table = Root(shared_doc, "sst");
      for (pugi::xml_node item = table.first_child(); item; item = item.next_sibling()) {
        if (LocalName(item.name()) == "si") shared_.push_back(StringItemText(item));
      }
    }
    return true;
  }

  std::vector<std::string> SheetNames() const override {
    std::vector<std::string> names;
    for (const SheetPart& sheet : sheets_) names.push_back(sheet.name);
    return names;
  }

  std::unique_ptr<Worksheet> OpenSheet(size_t index, std::string& error) override {
    std::string xml;
    if (index < sheets_.size() && archive_.Read(sheets_[index].part, xml)) {
      auto sheet = std::make_unique<XlsxWorksheet>(std::move(xml), shared_);
      if (sheet->Load()) return sheet;
    }
    error = "The worksheet \"" + (index < sheets_.size() ? sheets_[index].name : std::string()) + "\" of \"" +
            file_name_ + "\" cannot be read. The menu was left as it was.";
    return nullptr;
  }

 private:
  struct SheetPart {
    std::string name;
    std::string part;
  };

  Archive archive_;
  std::string file_name_;
  std::vector<SheetPart> sheets_;
  std::vector<std::string> shared_;
};

}  // namespace

std::unique_ptr<Workbook> OpenXlsxWorkbook(std::string bytes, const std::string& file_name,
                                           std::string& error) {
  auto workbook = std::make_unique<XlsxWorkbook>(std::move(bytes), file_name);
  if (!workbook->Load()) {
    error = "\"" + file_name +
            "\" is not an Excel workbook (.xlsx) that can be read. The menu was left as it was.";
    return nullptr;
  }
  return workbook;
}

}  // namespace tabulo
