#include "designer/import/import_report.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/text_codec.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

std::string Plural(int count, const std::string& singular, const std::string& plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

const char* UnitName(SkippedLine::Unit unit, bool plural) {
  if (unit == SkippedLine::Unit::Row) return plural ? "rows" : "row";
  return plural ? "lines" : "line";
}

// "4, 9-12, 20": consecutive numbers joined into ranges; long lists end in ", ..." after a few ranges so that
// a file of thousands of bad lines still gives a message that fits on the screen.
std::string NumberList(const std::vector<int>& numbers) {
  constexpr int kMaxRanges = 5;
  std::string text;
  int ranges = 0;
  for (size_t i = 0; i < numbers.size();) {
    size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    if (ranges == kMaxRanges) {
      text += ", ...";
      break;
    }
    if (ranges > 0) text += ", ";
    text += std::to_string(numbers[i]);
    if (j > i) text += "-" + std::to_string(numbers[j]);
    ++ranges;
    i = j + 1;
  }
  return text;
}

// One line per file and reason, in the order they were first met: "plus.csv, line 4: fewer than six double
// quotes." or "plus.csv, 2 lines (4, 9): ...".
std::string SkippedDetails(const std::vector<SkippedLine>& skipped) {
  struct Group {
    const SkippedLine* first;
    std::vector<int> numbers;
  };
  std::vector<Group> groups;
  for (const SkippedLine& line : skipped) {
    Group* group = nullptr;
    for (Group& candidate : groups) {
      if (candidate.first->file == line.file && candidate.first->unit == line.unit &&
          candidate.first->reason == line.reason && candidate.first->imported == line.imported) {
        group = &candidate;
        break;
      }
    }
    if (!group) group = &groups.emplace_back(Group{&line, {}});
    group->numbers.push_back(line.number);
  }
  std::string text;
  for (const Group& group : groups) {
    int count = static_cast<int>(group.numbers.size());
    text += "\n" + group.first->file + ", ";
    if (count == 1) {
      text += std::string(UnitName(group.first->unit, false)) + " " + std::to_string(group.numbers[0]);
    } else {
      text += std::to_string(count) + " " + UnitName(group.first->unit, true) + " (" +
              NumberList(group.numbers) + ")";
    }
    text += ": " + group.first->reason + ".";
  }
  return text;
}

std::string SkippedCount(const std::vector<SkippedLine>& skipped) {
  bool mixed = false;
  int count = 0;
  int remarks = 0;
  const SkippedLine* first = nullptr;
  for (const SkippedLine& line : skipped) {
    if (line.imported) {
      ++remarks;
      continue;
    }
    if (!first) first = &line;
    mixed = mixed || line.unit != first->unit;
    ++count;
  }
  std::string text;
  if (first) {
    text = mixed ? Plural(count, "line or row", "lines or rows")
                 : std::to_string(count) + " " + UnitName(first->unit, count != 1);
    text += " skipped";
  }
  if (remarks > 0) text += (text.empty() ? "" : ", ") + Plural(remarks, "remark", "remarks");
  return text;
}

}  // namespace

StagedCatalogue StageTextLines(std::string text, const std::string& file_name, const LineReader& read) {
  StagedCatalogue staged;
  staged.text = std::make_shared<const std::string>(std::move(text));
  std::vector<std::string_view> lines = SplitLines(*staged.text);
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  staged.entries.reserve(std::min(lines.size(), static_cast<size_t>(kMaxPlus)));
  for (size_t index = 0; index < lines.size(); ++index) {
    const char* reason = nullptr;
    CatalogueEntry entry;
    if (Trim(lines[index]).empty()) {
      reason = kSkipEmpty;
    } else if (staged.entries.size() >= static_cast<size_t>(kMaxPlus)) {
      reason = kSkipCatalogueFull;
    } else {
      reason = read(lines[index], entry);
    }
    if (reason) {
      staged.skipped.push_back({file_name, SkippedLine::Unit::Line, static_cast<int>(index + 1), reason});
    } else {
      staged.entries.push_back(entry);
    }
  }
  return staged;
}

void StagedBuilder::Add(std::string_view number, std::string_view description, std::string_view price) {
  std::array<std::pair<size_t, size_t>, 3> spans;
  std::string_view values[3] = {number, description, price};
  for (int k = 0; k < 3; ++k) {
    spans[k] = {text_.size(), values[k].size()};
    text_.append(values[k]);
  }
  spans_.push_back(spans);
}

StagedCatalogue StagedBuilder::Finish(std::vector<SkippedLine> skipped) {
  StagedCatalogue staged;
  auto text = std::make_shared<const std::string>(std::move(text_));
  std::string_view all = *text;
  staged.text = std::move(text);
  staged.entries.reserve(spans_.size());
  for (const auto& spans : spans_) {
    CatalogueEntry entry;
    entry.PluNumber = all.substr(spans[0].first, spans[0].second);
    entry.PluDescription = all.substr(spans[1].first, spans[1].second);
    entry.PluPrice = all.substr(spans[2].first, spans[2].second);
    staged.entries.push_back(entry);
  }
  staged.skipped = std::move(skipped);
  return staged;
}

std::string SkipCommaIn(const std::string& column) {
  return "a comma in \"" + column + "\" would move the fields after it";
}

void StoreCatalogue(MenuDocument& doc, const std::vector<CatalogueEntry>& entries, const NewMenu& new_menu) {
  if (new_menu) {
    new_menu(doc);
  } else {
    ResetDocument(doc);
  }
  int n = 0;
  for (const CatalogueEntry& entry : entries) {
    if (n >= kMaxPlus) break;
    doc.PluNumber[n] = entry.PluNumber;
    doc.PluField2[n] = entry.PluField2;
    doc.PluField3[n] = entry.PluField3;
    doc.PluPrice[n] = entry.PluPrice;
    doc.PluDescription[n] = entry.PluDescription;
    ++n;
  }
  doc.NumPlus = n;
}

std::string ImportedMessage(int imported, const std::string& detail,
                            const std::vector<SkippedLine>& skipped) {
  std::string text = Plural(imported, "PLU", "PLUs") + " imported" + detail;
  if (skipped.empty()) return text + ".";
  return text + ", " + SkippedCount(skipped) + ":" + SkippedDetails(skipped);
}

std::string SkippedReport(const std::vector<SkippedLine>& skipped) {
  return skipped.empty() ? "" : SkippedCount(skipped) + ":" + SkippedDetails(skipped);
}

std::string LeftOutFamiliesText(const std::string& file, const std::vector<int>& rows) {
  if (rows.empty()) return "";
  return " " + Plural(static_cast<int>(rows.size()), "family", "families") + " with COMANDO 0 left out (" +
         file + ", " + UnitName(SkippedLine::Unit::Row, rows.size() != 1) + " " + NumberList(rows) + ").";
}

std::string NothingImportedMessage(const std::string& file, const std::vector<SkippedLine>& skipped) {
  std::string text = "No PLUs found in \"" + file + "\"; the menu was left as it was.";
  if (skipped.empty()) return text;
  return text + "\n" + SkippedCount(skipped) + ":" + SkippedDetails(skipped);
}

std::string CannotOpenMessage(const std::string& path) {
  std::error_code error;
  std::string reason = "it cannot be read";
  if (!std::filesystem::exists(path, error)) {
    reason = "there is no such file";
  } else if (std::filesystem::is_directory(path, error)) {
    reason = "it is a folder";
  }
  return "Cannot open \"" + path + "\": " + reason + ". The menu was left as it was.";
}

}  // namespace tabulo
