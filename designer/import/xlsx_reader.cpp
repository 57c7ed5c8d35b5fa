#include "designer/import/xlsx_reader.h"

#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <pugixml.hpp>
#include <string_view>

#include "designer/document/numbers.h"
#include "designer/import/import_report.h"

namespace tabulo {
namespace {

// A small archive can unpack to gigabytes, and a sheet can hold millions of empty cells: everything read is
// bounded. The small parts (workbook, relationships) are read whole up to kMaxPartBytes; the sheet and the
// shared strings are parsed as a stream, the sheet keeping only the cells that hold a value. A catalogue of
// 10000 PLUs with a dozen columns is far inside every limit.
constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t{16} << 20;
constexpr zip_uint64_t kMaxStreamedBytes = zip_uint64_t{256} << 20;  // inflated sheet or shared strings
constexpr size_t kMaxSheetRows = 200000;
constexpr size_t kMaxSheetCells = 2000000;  // cell elements, empty or not
constexpr size_t kMaxSharedStrings = 1000000;
constexpr size_t kMaxTextBytes = size_t{64} << 20;  // text kept from the shared strings, and from the sheet
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

  // The unpacked bytes of a part handed on piece by piece; false when it is missing or damaged, when it
  // unpacks past kMaxStreamedBytes (`too_large` set), or when `take` returns false.
  bool Stream(const std::string& name, const std::function<bool(const char*, size_t)>& take,
              bool& too_large) const {
    too_large = false;
    if (!archive_) return false;
    zip_int64_t index = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return false;
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (!file) return false;
    char buffer[65536];
    zip_uint64_t total = 0;
    bool ok = true;
    for (;;) {
      zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
      if (got <= 0) {
        ok = got == 0;
        break;
      }
      total += static_cast<zip_uint64_t>(got);
      if (total > kMaxStreamedBytes) {
        too_large = true;
        ok = false;
        break;
      }
      if (!take(buffer, static_cast<size_t>(got))) {
        ok = false;
        break;
      }
    }
    zip_fclose(file);
    return ok;
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

// An expat parser fed piece by piece, calling the handlers of a class T with local element names.
template <class T>
class StreamParser {
 public:
  explicit StreamParser(T& handler) : parser_(XML_ParserCreate(nullptr)), handler_(handler) {
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &StreamParser::Start, &StreamParser::End);
    XML_SetCharacterDataHandler(parser_, &StreamParser::Text);
  }
  ~StreamParser() { XML_ParserFree(parser_); }
  StreamParser(const StreamParser&) = delete;
  StreamParser& operator=(const StreamParser&) = delete;

  bool Feed(const char* data, size_t size, bool last) {
    if (!handler_.problem.empty()) return false;
    if (XML_Parse(parser_, data, static_cast<int>(size), last) != XML_STATUS_OK) return false;
    if (!handler_.problem.empty()) {
      XML_StopParser(parser_, XML_FALSE);
      return false;
    }
    return true;
  }

 private:
  static void Start(void* self, const XML_Char* name, const XML_Char** attributes) {
    auto* parser = static_cast<StreamParser*>(self);
    parser->handler_.Start(LocalName(name), attributes);
    if (!parser->handler_.problem.empty()) XML_StopParser(parser->parser_, XML_FALSE);
  }
  static void End(void* self, const XML_Char* name) {
    auto* parser = static_cast<StreamParser*>(self);
    parser->handler_.End(LocalName(name));
    if (!parser->handler_.problem.empty()) XML_StopParser(parser->parser_, XML_FALSE);
  }
  static void Text(void* self, const XML_Char* text, int length) {
    auto* parser = static_cast<StreamParser*>(self);
    parser->handler_.Text(std::string_view(text, static_cast<size_t>(length)));
  }

  XML_Parser parser_;
  T& handler_;
};

std::string_view Attribute(const XML_Char** attributes, std::string_view name) {
  for (int i = 0; attributes[i]; i += 2) {
    if (LocalName(attributes[i]) == name) return attributes[i + 1];
  }
  return {};
}

// A part streamed through a handler; the handler's problem, or "damaged"/"too large", in `problem`.
template <class T>
bool StreamPart(const Archive& archive, const std::string& part, T& handler) {
  StreamParser<T> parser(handler);
  bool too_large = false;
  bool ok = archive.Stream(
      part, [&](const char* data, size_t size) { return parser.Feed(data, size, false); }, too_large);
  if (ok) ok = parser.Feed(nullptr, 0, true);
  if (too_large) handler.problem = "unpacks to more than " + std::to_string(kMaxStreamedBytes >> 20) + " MB";
  if (!ok && handler.problem.empty()) handler.problem = "is damaged";
  return ok;
}

// The shared strings table: plain or rich text (runs joined), phonetic hints (rPh) left out.
struct SharedStringsHandler {
  explicit SharedStringsHandler(std::vector<std::string>& table) : strings(table) {}
  std::vector<std::string>& strings;
  std::string problem;
  size_t bytes = 0;
  bool in_item = false;
  int phonetic = 0;
  bool capture = false;

  void Start(std::string_view name, const XML_Char**) {
    if (name == "si") {
      if (strings.size() >= kMaxSharedStrings) {
        problem = "holds more than " + std::to_string(kMaxSharedStrings) + " shared strings";
        return;
      }
      strings.emplace_back();
      in_item = true;
    } else if (name == "rPh") {
      ++phonetic;
    } else if (name == "t" && in_item && phonetic == 0) {
      capture = true;
    }
  }
  void End(std::string_view name) {
    if (name == "si") in_item = false;
    if (name == "rPh") --phonetic;
    if (name == "t") capture = false;
  }
  void Text(std::string_view text) {
    if (!capture) return;
    bytes += text.size();
    if (bytes > kMaxTextBytes) {
      problem = "holds more than " + std::to_string(kMaxTextBytes >> 20) + " MB of text";
      return;
    }
    strings.back().append(text);
  }
};

// The cells of a sheet that hold a value, read as a stream: empty cells cost nothing but their count.
struct SheetHandler {
  SheetHandler(const std::vector<std::string>& strings, const std::vector<int>& style_decimals)
      : shared(strings), decimals(style_decimals) {}
  const std::vector<std::string>& shared;
  const std::vector<int>& decimals;  // by cell style: the fixed decimals its number format shows, or -1
  int style = 0;
  struct Cell {
    int row;
    int column;
    std::string text;
  };
  std::vector<Cell> cells;
  std::string problem;
  size_t rows = 0;
  size_t cell_count = 0;
  size_t bytes = 0;
  int row_number = 0;
  int column = -1;
  bool in_cell = false;
  bool skip_cell = false;
  int cell_row = 0, cell_column = 0;
  std::string type;
  std::string value;  // text of <v>
  std::string inline_text;
  bool in_inline = false;
  int phonetic = 0;
  enum class Capture { None, Value, Inline } capture = Capture::None;

  void Start(std::string_view name, const XML_Char** attributes) {
    if (name == "row") {
      if (++rows > kMaxSheetRows) {
        problem = "has more than " + std::to_string(kMaxSheetRows) + " rows";
        return;
      }
      int declared = 0;
      row_number = ParsePositive(Attribute(attributes, "r"), kMaxRow, declared) ? declared : row_number + 1;
      column = -1;
    } else if (name == "c") {
      if (++cell_count > kMaxSheetCells) {
        problem = "has more than " + std::to_string(kMaxSheetCells) + " cells";
        return;
      }
      in_cell = true;
      // A cell without a reference follows the one before it; one with a reference outside the sheet's
      // grid is left out rather than put somewhere it was not.
      cell_row = row_number;
      cell_column = column + 1;
      std::string_view ref = Attribute(attributes, "r");
      skip_cell = (!ref.empty() && !ParseReference(ref, cell_row, cell_column)) ||
                  cell_column >= kMaxColumn || row_number > kMaxRow;
      if (!skip_cell) column = cell_column;
      type.assign(Attribute(attributes, "t"));
      int declared_style = 0;
      style = ParsePositive(Attribute(attributes, "s"), 1 << 20, declared_style) ? declared_style : 0;
      value.clear();
      inline_text.clear();
    } else if (!in_cell) {
      return;
    } else if (name == "v") {
      capture = Capture::Value;
    } else if (name == "is") {
      in_inline = true;
    } else if (name == "rPh") {
      ++phonetic;
    } else if (name == "t" && in_inline && phonetic == 0) {
      capture = Capture::Inline;
    }
  }

  void End(std::string_view name) {
    if (name == "v" || name == "t") {
      capture = Capture::None;
    } else if (name == "is") {
      in_inline = false;
    } else if (name == "rPh") {
      --phonetic;
    } else if (name == "c" && in_cell) {
      in_cell = false;
      if (skip_cell) return;
      std::string text;
      CellValue(text);
      if (text.empty()) return;
      bytes += text.size() + sizeof(Cell);
      if (bytes > kMaxTextBytes) {
        problem = "holds more than " + std::to_string(kMaxTextBytes >> 20) + " MB of cells";
        return;
      }
      cells.push_back({cell_row, cell_column, std::move(text)});
    }
  }

  void Text(std::string_view text) {
    std::string* target = capture == Capture::Value    ? &value
                          : capture == Capture::Inline ? &inline_text
                                                       : nullptr;
    if (!target) return;
    if (target->size() + text.size() > kMaxTextBytes) {
      problem = "holds a cell of more than " + std::to_string(kMaxTextBytes >> 20) + " MB";
      return;
    }
    target->append(text);
  }

  void CellValue(std::string& text) const {
    if (type == "s") {
      size_t index = 0;
      std::string_view digits = Trim(value);
      auto result = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (result.ec == std::errc() && result.ptr == digits.data() + digits.size() && index < shared.size())
        text = shared[index];
    } else if (type == "inlineStr") {
      text = in_inline || !inline_text.empty() ? inline_text : value;
      if (text.empty()) text = value;
    } else if (type == "b") {
      std::string_view flag = Trim(value);
      text = flag.empty() ? "" : flag == "0" ? "FALSE" : "TRUE";
    } else if (type == "str" || type == "e" || type == "d") {
      text = value;
    } else {
      // A number (type "n" or none).
      std::string_view number = Trim(value);
      double parsed = 0;
      auto result = std::from_chars(number.data(), number.data() + number.size(), parsed);
      if (!number.empty() && result.ec == std::errc() && result.ptr == number.data() + number.size() &&
          std::isfinite(parsed)) {
        // Shown as its format shows it: a price formatted "0.00" keeps its two decimals.
        int fixed = style >= 0 && static_cast<size_t>(style) < decimals.size() ? decimals[style] : -1;
        char buffer[64];
        auto written =
            fixed > 0 && std::fabs(parsed) < 1e15
                ? std::to_chars(buffer, buffer + sizeof buffer, parsed, std::chars_format::fixed, fixed)
                : std::to_chars_result{buffer, std::errc::value_too_large};
        text = written.ec == std::errc() ? std::string(buffer, written.ptr) : GeneralNumberText(parsed);
      } else {
        text.assign(number);
      }
    }
  }
};

// Fixed decimals of a number format code: the zeros after the point of its first section ("#,##0.00 €" 2),
// -1 for a format without them (general, whole numbers, dates, percentages, scientific).
int FormatDecimals(std::string_view code) {
  code = code.substr(0, code.find(';'));
  if (code.find_first_of("%Ee/:") != std::string_view::npos && code.find('"') == std::string_view::npos)
    return -1;
  size_t point = code.find('.');
  if (point == std::string_view::npos) return -1;
  int zeros = 0;
  for (size_t i = point + 1; i < code.size() && (code[i] == '0' || code[i] == '#'); ++i)
    zeros += code[i] == '0';
  return zeros > 0 && zeros <= 6 ? zeros : -1;
}

// The styles part's cell formats, each as the fixed decimals of its number format.
std::vector<int> ReadStyleDecimals(const Archive& archive, const std::string& part) {
  std::vector<int> decimals;
  std::string xml;
  pugi::xml_document doc;
  if (!archive.Read(part, xml) || !doc.load_buffer_inplace(xml.data(), xml.size(), kParseOptions))
    return decimals;
  pugi::xml_node root = Root(doc, "styleSheet");
  std::vector<std::pair<int, int>> custom;  // format id, decimals
  for (pugi::xml_node format = Child(Child(root, "numFmts"), "numFmt"); format;
       format = format.next_sibling()) {
    custom.emplace_back(format.attribute("numFmtId").as_int(),
                        FormatDecimals(format.attribute("formatCode").value()));
  }
  for (pugi::xml_node xf = Child(Child(root, "cellXfs"), "xf"); xf; xf = xf.next_sibling()) {
    int id = xf.attribute("numFmtId").as_int();
    // Built-in formats with two decimals: 0.00, #,##0.00, the currency formats and the accounting ones.
    int fixed =
        id == 2 || id == 4 || id == 7 || id == 8 || id == 39 || id == 40 || id == 43 || id == 44 ? 2 : -1;
    for (const auto& [custom_id, custom_decimals] : custom) {
      if (custom_id == id) fixed = custom_decimals;
    }
    decimals.push_back(fixed);
  }
  return decimals;
}

class XlsxWorksheet : public Worksheet {
 public:
  explicit XlsxWorksheet(std::vector<SheetHandler::Cell> cells) : cells_(std::move(cells)) {
    auto before = [](const SheetHandler::Cell& a, const SheetHandler::Cell& b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(cells_.begin(), cells_.end(), before))
      std::stable_sort(cells_.begin(), cells_.end(), before);
    // A cell given twice keeps its last value, as a later write would.
    size_t kept = 0;
    for (size_t i = 0; i < cells_.size(); ++i) {
      if (kept > 0 && cells_[kept - 1].row == cells_[i].row && cells_[kept - 1].column == cells_[i].column) {
        cells_[kept - 1] = std::move(cells_[i]);
      } else if (kept != i) {
        cells_[kept++] = std::move(cells_[i]);
      } else {
        ++kept;
      }
    }
    cells_.resize(kept);
    for (size_t i = 0; i < cells_.size(); ++i) {
      if (i == 0 || cells_[i].row != cells_[i - 1].row) row_starts_.push_back(i);
    }
    row_starts_.push_back(cells_.size());
  }

  size_t RowCount() const override { return row_starts_.size() - 1; }
  int RowNumber(size_t row) const override { return cells_[row_starts_[row]].row; }

  void RowCells(size_t row, std::vector<std::pair<int, std::string>>& cells) const override {
    cells.clear();
    for (size_t i = row_starts_[row]; i < row_starts_[row + 1]; ++i)
      cells.emplace_back(cells_[i].column, cells_[i].text);
  }

  void CellText(size_t row, int column, std::string& text) const override {
    auto begin = cells_.begin() + static_cast<std::ptrdiff_t>(row_starts_[row]);
    auto end = cells_.begin() + static_cast<std::ptrdiff_t>(row_starts_[row + 1]);
    auto found = std::lower_bound(begin, end, column,
                                  [](const SheetHandler::Cell& cell, int c) { return cell.column < c; });
    if (found != end && found->column == column) {
      text.assign(found->text);
    } else {
      text.clear();
    }
  }

 private:
  std::vector<SheetHandler::Cell> cells_;
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

    for (const Relationship& rel : relationships) {
      if (EndsWith(rel.type, "/styles")) style_decimals_ = ReadStyleDecimals(archive_, rel.target);
    }
    std::string shared_part;
    for (const Relationship& rel : relationships) {
      if (EndsWith(rel.type, "/sharedStrings")) shared_part = rel.target;
    }
    if (shared_part.empty() && archive_.Has(folder + "sharedStrings.xml"))
      shared_part = folder + "sharedStrings.xml";
    if (!shared_part.empty()) {
      SharedStringsHandler handler(shared_);
      if (!StreamPart(archive_, shared_part, handler)) {
        problem_ = "The shared strings table of \"" + file_name_ + "\" " + handler.problem +
                   ". The menu was left as it was.";
        return false;
      }
    }
    return true;
  }

  const std::string& Problem() const { return problem_; }

  std::vector<std::string> SheetNames() const override {
    std::vector<std::string> names;
    for (const SheetPart& sheet : sheets_) names.push_back(sheet.name);
    return names;
  }

  std::unique_ptr<Worksheet> OpenSheet(size_t index, std::string& error) override {
    std::string name = index < sheets_.size() ? sheets_[index].name : std::string();
    SheetHandler handler(shared_, style_decimals_);
    if (index < sheets_.size() && StreamPart(archive_, sheets_[index].part, handler))
      return std::make_unique<XlsxWorksheet>(std::move(handler.cells));
    if (handler.problem.empty() || handler.problem == "is damaged") {
      error = "The worksheet \"" + name + "\" of \"" + file_name_ +
              "\" cannot be read. The menu was left as it was.";
    } else {
      error = "The worksheet \"" + name + "\" of \"" + file_name_ + "\" " + handler.problem +
              ", far more than a catalogue holds; it was not read. The menu was left as it was.";
    }
    return nullptr;
  }

 private:
  struct SheetPart {
    std::string name;
    std::string part;
  };

  Archive archive_;
  std::string file_name_;
  std::string problem_;
  std::vector<SheetPart> sheets_;
  std::vector<std::string> shared_;
  std::vector<int> style_decimals_;
};

}  // namespace

std::unique_ptr<Workbook> OpenXlsxWorkbook(std::string bytes, const std::string& file_name,
                                           std::string& error) {
  auto workbook = std::make_unique<XlsxWorkbook>(std::move(bytes), file_name);
  if (!workbook->Load()) {
    error = !workbook->Problem().empty()
                ? workbook->Problem()
                : "\"" + file_name +
                      "\" is not an Excel workbook (.xlsx) that can be read. The menu was "
                      "left as it was.";
    return nullptr;
  }
  return workbook;
}

}  // namespace tabulo
