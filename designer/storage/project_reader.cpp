#include <algorithm>
#include <optional>
#include <unordered_map>

#include "base/files.h"
#include "base/text_codec.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/storage/catalogue_line.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"

namespace tabulo {
namespace {

// One data file's lines, read in order, with what was skipped noted against the file and line.
class LineSource {
 public:
  LineSource(const ProjectFileSource& source, const char* suffix, ReadReport& report)
      : suffix_(suffix), report_(report) {
    std::string bytes;
    exists_ = source(suffix, bytes);
    if (!exists_) {
      Note(0, "file missing or unreadable");
      return;
    }
    DecodeFileTextInPlace(bytes);
    text_ = std::move(bytes);
    lines_ = SplitLines(text_);
  }

  bool Exists() const { return exists_; }
  bool AtEnd() const { return next_ >= lines_.size(); }
  // True when the line just read was the file's last.
  bool WasLast() const { return next_ >= lines_.size(); }
  size_t Count() const { return lines_.size(); }
  int LineNumber() const { return static_cast<int>(next_); }  // of the line just read
  std::string_view Next() { return lines_[next_++]; }
  std::optional<std::string_view> Peek() const {
    if (AtEnd()) return std::nullopt;
    return lines_[next_];
  }
  bool NextIsLast() const { return next_ + 1 == lines_.size(); }
  bool RestIsBlank() const {
    for (size_t i = next_; i < lines_.size(); ++i) {
      if (!Trim(lines_[i]).empty()) return false;
    }
    return true;
  }
  std::optional<std::string_view> NextIfAny() {
    if (AtEnd()) return std::nullopt;
    return Next();
  }

  void Note(int line, std::string message) { report_.issues.push_back({suffix_, line, std::move(message)}); }
  void NoteHere(std::string message) { Note(LineNumber(), std::move(message)); }
  void NoteRestIgnored(const std::string& why) {
    if (!AtEnd())
      Note(LineNumber() + 1, why + "; " + std::to_string(lines_.size() - next_) + " lines not read");
  }

  // The line read as a whole 32-bit number, or nothing (noted) when it is not a number.
  std::optional<int32_t> WholeNumberLine(std::string_view line, const char* field) {
    auto value = StrictNumber(line);
    if (!value) {
      NoteHere(std::string("not a number for ") + field + ": \"" + std::string(line) + "\"");
      return std::nullopt;
    }
    return WholeNumber(*value);
  }

 private:
  std::string suffix_;
  ReadReport& report_;
  bool exists_ = false;
  std::string text_;
  std::vector<std::string_view> lines_;
  size_t next_ = 0;
};

bool BlankLine(std::string_view line) {
  return Trim(line).empty();
}

void ReadPluData(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  LineSource in(source, kPluDataFile, report);
  if (!in.Exists()) return;
  int n = 0;
  while (!in.AtEnd()) {
    std::string_view line = in.Next();
    if (BlankLine(line)) {
      in.NoteRestIgnored("an empty line ends the catalogue");
      break;
    }
    if (n >= kMaxPlus) {
      in.NoteHere("catalogue full at " + std::to_string(kMaxPlus) + " PLUs");
      in.NoteRestIgnored("catalogue full");
      break;
    }
    auto entry = SplitCatalogueLine(line);
    if (!entry) {
      in.NoteHere("fewer than six fields; line skipped");
      continue;
    }
    doc.PluNumber[n].assign(entry->PluNumber);
    doc.PluField2[n].assign(entry->PluField2);
    doc.PluField3[n].assign(entry->PluField3);
    doc.PluPrice[n].assign(entry->PluPrice);
    doc.PluDescription[n].assign(entry->PluDescription);
    ++n;
  }
  doc.NumPlus = n;
}

bool IsKeywordLine(std::string_view line) {
  return line == "obrigatorio" || line.substr(0, 6) == "minimo" || line.substr(0, 6) == "maximo" ||
         line.substr(0, 7) == "default";
}

// Blocks of a name and its levels, each level a definition name followed by keyword lines. The file's last
// line always ends a block and is never data: the writer ends every block with an empty line.
// A level that named a definition without a name was written as an empty line followed by its keyword
// lines; it is skipped (and noted) instead of ending the block, which would make its keyword lines records.
void ReadModifiers(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  LineSource in(source, kModifiersFile, report);
  if (!in.Exists()) return;
  auto keyword_follows = [&in] {
    auto next = in.Peek();
    return next && !in.NextIsLast() && IsKeywordLine(*next);
  };
  int m = 0;
  while (!in.AtEnd()) {
    if (m >= kMaxModifiers) {
      in.NoteRestIgnored("more than " + std::to_string(kMaxModifiers) + " modifiers");
      break;
    }
    ModifierRecord& mod = doc.Modifiers[m];
    mod.Name.assign(in.Next());
    if (in.WasLast()) break;  // a name without its block is not counted
    int l = -1;
    while (!in.AtEnd()) {
      std::string_view line = in.Next();
      if (in.WasLast()) break;
      if (BlankLine(line)) {
        if (!keyword_follows()) break;  // the end of the block
        in.NoteHere("a modifier level without a name; its settings were not read");
        while (keyword_follows()) in.Next();
        continue;
      }
      ++l;
      if (l < kMaxLevels) {
        mod.LevelName[l] = std::string(line);
        mod.NumLevels = l + 1;
      } else {
        in.NoteHere("more than " + std::to_string(kMaxLevels) + " levels; level ignored");
      }
      while (keyword_follows()) {
        std::string_view keyword = in.Next();
        if (keyword == "obrigatorio") {
          mod.Obrigatorio[l] = 1;
        } else if (keyword.substr(0, 6) == "minimo") {
          mod.Minimo[l] = IntegerValue(keyword.substr(keyword.size() - 1));
        } else if (keyword.substr(0, 6) == "maximo") {
          mod.Maximo[l] = IntegerValue(keyword.substr(keyword.size() - 1));
        } else {
          mod.Default[l] = IntegerValue(keyword.substr(7));
        }
      }
    }
    ++m;
  }
  doc.NumModifiers = m;
}

// The first catalogue index of every whole PLU number, as FindPlu would find it, built once so that a file of
// many members does not scan the catalogue for each.
std::unordered_map<int32_t, int32_t> FirstIndexByNumber(const MenuDocument& doc) {
  std::unordered_map<int32_t, int32_t> first;
  for (int i = 0; i < std::min(doc.NumPlus, kMaxPlus); ++i) {
    double value = PluValue(doc, i);
    if (value == static_cast<double>(WholeNumber(value))) first.emplace(WholeNumber(value), i);
  }
  return first;
}

void ReadModifierDefinitions(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  LineSource in(source, kModifierDefinitionsFile, report);
  if (!in.Exists()) return;
  std::optional<std::unordered_map<int32_t, int32_t>> first_index;
  int d = 0;
  while (!in.AtEnd()) {
    std::string_view name = in.Next();
    if (in.WasLast() || (BlankLine(name) && in.RestIsBlank())) break;
    if (BlankLine(name)) {
      // A definition saved without a name (a cancelled " New Modifier" box once made them): no level can
      // name it, so it is skipped with its members, and the definitions after it are read.
      in.NoteHere("a modifier definition without a name; it and its members were not read");
      while (!in.AtEnd()) {
        std::string_view member = in.Next();
        if (BlankLine(member) || in.WasLast()) break;
      }
      continue;
    }
    if (d >= kMaxModifierDefs) {
      in.NoteHere("more than " + std::to_string(kMaxModifierDefs) + " modifier definitions");
      in.NoteRestIgnored("definitions beyond the table");
      break;
    }
    if (!first_index) first_index = FirstIndexByNumber(doc);
    ModifierDefRecord& def = doc.ModifierDefs[d];
    def.Name = std::string(name);
    int j = 0;
    while (!in.AtEnd()) {
      std::string_view line = in.Next();
      if (BlankLine(line) || in.WasLast()) break;
      if (j >= kMaxMembers) {
        in.NoteHere("more than " + std::to_string(kMaxMembers) + " members; member ignored");
        continue;
      }
      int32_t number = IntegerValue(line);
      // A member missing from the catalogue keeps its own number (with no description) rather than
      // turning into whichever PLU happens to stand first in the catalogue.
      auto found = first_index->find(number);
      auto index = found != first_index->end() ? std::optional<int32_t>(found->second) : std::nullopt;
      if (!index) in.NoteHere("member PLU " + std::to_string(number) + " is not in the catalogue");
      def.PluCode[j] = index ? IntegerValue(doc.PluNumber[*index]) : number;
      def.PluDesc[j] = index ? doc.PluDescription[*index] : std::string();
      ++j;
    }
    def.Count = j;
    ++d;
  }
  doc.NumModifierDefs = d;
}

void ReadBotoes(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  LineSource in(source, kBotoesFile, report);
  if (!in.Exists()) return;
  int s = 0;
  while (!in.AtEnd()) {
    std::string_view line = in.Next();
    if (!line.empty() && line[0] == '-') continue;  // page header
    if (s >= kLineSlots) {
      in.NoteHere("more than " + std::to_string(kLineSlots) + " line slots");
      in.NoteRestIgnored("slots beyond the table");
      break;
    }
    if (auto value = in.WholeNumberLine(line, "a line's PLU")) doc.Botoes[s] = *value;
    ++s;
  }
}

void ReadPrinter(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  LineSource in(source, kPrinterFile, report);
  // Defaults first: a missing file, and missing or unreadable lines of a short one, take them.
  ApplyDefaultSettings(doc);
  if (!in.Exists()) {
    for (int p = 1; p <= kPages; ++p) doc.PageColorA[p] = doc.PageColorB[p] = doc.DefaultPageColor;
    return;
  }
  auto margin = [&](float& target, const char* name) {
    auto line = in.NextIfAny();
    if (!line) return;
    if (auto value = StrictNumber(*line, true)) {
      target = static_cast<float>(*value);
    } else {
      in.NoteHere(std::string("not a number for ") + name + "; default kept");
    }
  };
  auto text = [&](std::string& target) {
    if (auto line = in.NextIfAny()) target.assign(*line);
  };
  margin(doc.MarginXDescr, "Margin X (Descr.)");
  margin(doc.MarginXPrice, "Margin X (Price)");
  margin(doc.MarginY, "Margin Y");
  text(doc.Currency);
  text(doc.FontName);
  for (int style : {kStyleTitle, kStyleNote, kStyleText}) {
    text(doc.StyleBackColor[style]);
    text(doc.StyleForeColor[style]);
  }
  text(doc.DefaultPageColor);
  if (auto line = in.NextIfAny()) {
    if (auto value = in.WholeNumberLine(*line, "Print lines")) doc.PrintLines = *value;
  }
  for (int p = 1; p <= kPages; ++p) {
    doc.PageColorA[p] = doc.DefaultPageColor;
    text(doc.PageColorA[p]);
    doc.PageColorB[p] = doc.DefaultPageColor;
    text(doc.PageColorB[p]);
  }
  for (int p = 1; p <= kPages; ++p) {
    text(doc.PagePictureA[p]);
    text(doc.PagePictureB[p]);
  }
  in.NoteRestIgnored("more than " + std::to_string(kPrinterLines) + " lines");
}

void ReadLayout(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  LineSource in(source, kLayoutFile, report);
  if (!in.Exists()) return;
  auto text = [&](std::string& target) {
    if (auto line = in.NextIfAny()) target.assign(*line);
  };
  auto number = [&](int32_t& target, const char* field) {
    if (auto line = in.NextIfAny()) {
      if (auto value = in.WholeNumberLine(*line, field)) target = *value;
    }
  };
  for (int s = 0; s < kLayoutSlots && !in.AtEnd(); ++s) {
    LineLayoutRecord& line = doc.LineLayout[s];
    text(line.Text);
    number(line.Kind, "a line's kind");
    text(line.LineBackColor);
    text(line.LineForeColor);
    int32_t reserved = 0;  // read and dropped: the field is always 0
    number(reserved, "the reserved field");
    text(line.TitleText);
    text(line.TitleBackColor);
    text(line.TitleForeColor);
    text(line.TitlePicture);
  }
  for (int s = 0; s < kLayoutSlots && !in.AtEnd(); ++s) number(doc.LineLayout[s].TitleMark, "a group mark");
  in.NoteRestIgnored("more than " + std::to_string(kLayoutSlots * (kLayoutFieldLines + 1)) + " lines");
}

void ReadLanguages(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  ApplyDefaultLanguageNames(doc);
  LineSource in(source, kLanguagesFile, report);
  if (!in.Exists()) return;
  for (int row = 0; row < kLangRows && !in.AtEnd(); ++row) {
    for (int col = 1; col <= kLanguages && !in.AtEnd(); ++col) doc.Lang(row, col).assign(in.Next());
  }
  in.NoteRestIgnored("more than " + std::to_string(kLangRows * kLanguages) + " lines");
}

void ReadPagesVersion(MenuDocument& doc, const ProjectFileSource& source, ReadReport& report) {
  doc.PagesVersion = "0";
  LineSource in(source, kPagesVersionFile, report);
  if (auto line = in.NextIfAny()) doc.PagesVersion = std::string(*line);
}

}  // namespace

ReadReport ReadProjectFiles(MenuDocument& doc) {
  const std::string base = doc.ProjectBase;
  // Under the project folder's lock, after an interrupted save was completed: the files read are those of
  // one save, never a mix of two.
  FileSetReader files(base + kJournalFile);
  return ReadProjectFiles(doc, [&base, &files](const std::string& suffix, std::string& bytes) {
    return files.Read(base + suffix, bytes);
  });
}

ReadReport ReadProjectFiles(MenuDocument& doc, const ProjectFileSource& source) {
  ReadReport report;
  // Order matters: the definitions look their members up in the catalogue read just before.
  ReadPluData(doc, source, report);
  ReadModifiers(doc, source, report);
  ReadModifierDefinitions(doc, source, report);
  ReadBotoes(doc, source, report);
  ReadPrinter(doc, source, report);
  ReadLayout(doc, source, report);
  ReadLanguages(doc, source, report);
  ReadPagesVersion(doc, source, report);
  return report;
}

ReadReport LoadProject(MenuDocument& doc, const std::string& chosen) {
  const std::string path = ResolveProjectPath(chosen);
  ResetDocument(doc);
  doc.ProjectFolder = ProjectFolderOf(path);
  doc.ProjectBase = ProjectBaseOf(path);
  return ReadProjectFiles(doc);
}

}  // namespace tabulo
