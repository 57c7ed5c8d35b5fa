#include "designer/history/menu_diff.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace tabulo {
namespace {

struct Plu {
  int index = 0;
  std::string number;
};

// Live PLUs by number: entries in use that are not deleted ("0") or empty.
std::map<std::string, Plu> PlusByNumber(const MenuDocument& doc) {
  std::map<std::string, Plu> plus;
  for (int i = 0; i < std::min<int>(doc.NumPlus, kMaxPlus); ++i) {
    const std::string& number = doc.PluNumber[i];
    if (number.empty() || number == "0") continue;
    plus.emplace(number, Plu{i, number});
  }
  return plus;
}

int TranslationRow(const std::string& number) {
  char* end = nullptr;
  long value = std::strtol(number.c_str(), &end, 10);
  if (end == number.c_str() || *end != '\0' || value < 1 || value > kMaxTranslatedPlu) return -1;
  return static_cast<int>(value);
}

class Comparison {
 public:
  Comparison(const MenuDocument& a, const MenuDocument& b) : a_(a), b_(b) {}

  MenuDiff Run() {
    Plus();
    Pages();
    Backgrounds();
    Modifiers();
    Definitions();
    Settings();
    return std::move(diff_);
  }

 private:
  void Add(ChangeKind kind, std::string where, std::string before, std::string after) {
    diff_.changes.push_back({kind, std::move(where), std::move(before), std::move(after)});
  }
  void IfDiffers(ChangeKind kind, const std::string& where, const std::string& before,
                 const std::string& after) {
    if (before != after) Add(kind, where, before, after);
  }

  // `where` is `prefix` + `name`, made only for what differs.
  void Translations(const char* prefix, const std::string& name, int row_a, int row_b) {
    for (int col = 1; col <= kLanguages; ++col) {
      const std::string& before = row_a >= 0 ? a_.Lang(row_a, col) : kNone;
      const std::string& after = row_b >= 0 ? b_.Lang(row_b, col) : kNone;
      // Names are made only for what differs: a full menu has 50000 translations to look at.
      if (before != after) {
        Add(ChangeKind::kTranslation, prefix + name + " in " + LanguageName(col), before, after);
      }
    }
  }
  std::string LanguageName(int col) const {
    const std::string& name = b_.Lang(0, col);
    return name.empty() ? "language " + std::to_string(col) : name;
  }

  void ComparePlu(const Plu& pa, const Plu& pb) {
    const auto where = [&pb] { return "PLU " + pb.number; };
    const auto compare = [&](ChangeKind kind, const char* field, const std::string& before,
                             const std::string& after) {
      if (before != after) Add(kind, where() + field, before, after);
    };
    compare(ChangeKind::kDescription, "", a_.PluDescription[pa.index], b_.PluDescription[pb.index]);
    compare(ChangeKind::kPrice, "", a_.PluPrice[pa.index], b_.PluPrice[pb.index]);
    compare(ChangeKind::kPluField, " field 2", a_.PluField2[pa.index], b_.PluField2[pb.index]);
    compare(ChangeKind::kPluField, " field 3", a_.PluField3[pa.index], b_.PluField3[pb.index]);
    Translations("PLU ", pb.number, TranslationRow(pa.number), TranslationRow(pb.number));
  }

  void Plus() {
    auto plus_a = PlusByNumber(a_);
    auto plus_b = PlusByNumber(b_);
    std::vector<Plu> removed;
    std::vector<Plu> added;
    for (const auto& [number, plu] : plus_a) {
      auto found = plus_b.find(number);
      if (found == plus_b.end()) {
        removed.push_back(plu);
      } else {
        ComparePlu(plu, found->second);
      }
    }
    for (const auto& [number, plu] : plus_b) {
      if (!plus_a.count(number)) added.push_back(plu);
    }
    // A removed and an added PLU of one description, unique on both sides, are one PLU renumbered.
    std::map<std::string, int> removed_names;
    std::map<std::string, int> added_names;
    for (const Plu& plu : removed) ++removed_names[a_.PluDescription[plu.index]];
    for (const Plu& plu : added) ++added_names[b_.PluDescription[plu.index]];
    std::map<std::string, Plu> renumbered_from;
    for (const Plu& plu : removed) {
      const std::string& name = a_.PluDescription[plu.index];
      if (!name.empty() && removed_names[name] == 1 && added_names[name] == 1) renumbered_from[name] = plu;
    }
    for (const Plu& plu : removed) {
      if (!renumbered_from.count(a_.PluDescription[plu.index])) {
        Add(ChangeKind::kPluRemoved, "PLU " + plu.number, a_.PluDescription[plu.index], "");
      }
    }
    for (const Plu& plu : added) {
      const std::string& name = b_.PluDescription[plu.index];
      auto from = renumbered_from.find(name);
      if (from == renumbered_from.end()) {
        Add(ChangeKind::kPluAdded, "PLU " + plu.number, "", name);
        continue;
      }
      Add(ChangeKind::kPluRenumbered, name, from->second.number, plu.number);
      ComparePlu(from->second, plu);
    }
  }

  // What a line shows, in words: the PLU's description, a title or note text, or "" when empty.
  static std::string LineShows(const MenuDocument& doc, int slot) {
    const LineLayoutRecord& line = doc.LineLayout[slot];
    if (line.Kind == kKindTitle) return "title \"" + line.Text + "\"";
    if (line.Kind == kKindNote) return "note \"" + line.Text + "\"";
    int32_t plu = doc.Botoes[slot];
    if (plu <= 0) return "";
    std::string number = std::to_string(plu);
    for (int i = 0; i < std::min<int>(doc.NumPlus, kMaxPlus); ++i) {
      if (doc.PluNumber[i] == number) return "PLU " + number + " " + doc.PluDescription[i];
    }
    return "PLU " + number;
  }
  // The line's identity, so the same line moved is recognised on another row.
  static std::string LineKey(const MenuDocument& doc, int slot) {
    const LineLayoutRecord& line = doc.LineLayout[slot];
    return std::to_string(line.Kind) + "|" + std::to_string(doc.Botoes[slot]) + "|" + line.Text;
  }

  void Pages() {
    for (int page = 1; page <= kPages; ++page) {
      std::vector<std::string> keys_a;
      std::vector<std::string> keys_b;
      for (int k = 0; k < kLinesPerPage; ++k) {
        keys_a.push_back(LineKey(a_, SlotOf(page, k)));
        keys_b.push_back(LineKey(b_, SlotOf(page, k)));
      }
      const std::string page_name = "page " + std::to_string(page);
      bool reordered = keys_a != keys_b && std::is_permutation(keys_a.begin(), keys_a.end(), keys_b.begin());
      if (reordered) Add(ChangeKind::kPageReordered, page_name, "", "");
      for (int k = 0; k < kLinesPerPage; ++k) {
        const int slot = SlotOf(page, k);
        const std::string where = page_name + " line " + std::to_string(k + 1);
        if (!reordered && keys_a[k] != keys_b[k] && !OnlyTextDiffers(slot)) {
          Add(ChangeKind::kPageLine, where, LineShows(a_, slot), LineShows(b_, slot));
        }
        LineDetails(where, slot);
      }
    }
  }

  // A title or note line whose text alone changed is reported as its text, not as another line.
  bool OnlyTextDiffers(int slot) const {
    const LineLayoutRecord& la = a_.LineLayout[slot];
    const LineLayoutRecord& lb = b_.LineLayout[slot];
    return la.Kind == lb.Kind && (la.Kind == kKindTitle || la.Kind == kKindNote) &&
           a_.Botoes[slot] == b_.Botoes[slot];
  }

  void LineDetails(const std::string& where, int slot) {
    const LineLayoutRecord& la = a_.LineLayout[slot];
    const LineLayoutRecord& lb = b_.LineLayout[slot];
    bool text_line = lb.Kind == kKindTitle || lb.Kind == kKindNote;
    if (text_line && la.Kind == lb.Kind) IfDiffers(ChangeKind::kLineText, where, la.Text, lb.Text);
    if (text_line || la.Kind == kKindTitle || la.Kind == kKindNote) {
      Translations("", where, kLangRowLineText + slot, kLangRowLineText + slot);
    }
    IfDiffers(ChangeKind::kGroupTitle, where, GroupTitle(la), GroupTitle(lb));
    if (!lb.TitleText.empty() || !la.TitleText.empty()) {
      Translations("", where + " group title", kLangRowTitleText + slot, kLangRowTitleText + slot);
    }
    IfDiffers(ChangeKind::kColour, where + " background", la.LineBackColor, lb.LineBackColor);
    IfDiffers(ChangeKind::kColour, where + " text colour", la.LineForeColor, lb.LineForeColor);
    IfDiffers(ChangeKind::kColour, where + " group background", la.TitleBackColor, lb.TitleBackColor);
    IfDiffers(ChangeKind::kColour, where + " group text colour", la.TitleForeColor, lb.TitleForeColor);
    IfDiffers(ChangeKind::kColour, where + " group picture", la.TitlePicture, lb.TitlePicture);
  }
  static std::string GroupTitle(const LineLayoutRecord& line) {
    if (line.TitleMark == 0 && line.TitleText.empty()) return "";
    std::string mark =
        line.TitleMark == kTitleMarkStart ? "" : " (mark " + std::to_string(line.TitleMark) + ")";
    return line.TitleText + mark;
  }

  void Backgrounds() {
    for (int page = 1; page <= kPages; ++page) {
      const std::string where = "page " + std::to_string(page);
      IfDiffers(ChangeKind::kColour, where + " front colour", a_.PageColorA[page], b_.PageColorA[page]);
      IfDiffers(ChangeKind::kColour, where + " back colour", a_.PageColorB[page], b_.PageColorB[page]);
      IfDiffers(ChangeKind::kColour, where + " front picture", a_.PagePictureA[page], b_.PagePictureA[page]);
      IfDiffers(ChangeKind::kColour, where + " back picture", a_.PagePictureB[page], b_.PagePictureB[page]);
    }
  }

  static std::string Describe(const ModifierRecord& m) {
    std::string text;
    for (int level = 0; level < std::clamp<int>(m.NumLevels, 0, kMaxLevels); ++level) {
      if (!text.empty()) text += "; ";
      text += m.LevelName[level] + (m.Obrigatorio[level] ? " mandatory" : "") + " " +
              std::to_string(m.Minimo[level]) + ".." + std::to_string(m.Maximo[level]) + " default " +
              std::to_string(m.Default[level]);
    }
    return text;
  }
  static std::string Describe(const ModifierDefRecord& d) {
    std::string text;
    for (int i = 0; i < std::clamp<int>(d.Count, 0, kMaxMembers); ++i) {
      if (!text.empty()) text += ", ";
      text += std::to_string(d.PluCode[i]) + " " + d.PluDesc[i];
    }
    return text;
  }

  // Records matched by name; one with a name on one side only is added or removed.
  template <class Record>
  void ByName(ChangeKind kind, const std::string& what, const Record* a, int count_a, const Record* b,
              int count_b) {
    std::map<std::string, std::string> before;
    std::map<std::string, std::string> after;
    for (int i = 0; i < count_a; ++i) before[a[i].Name] = Describe(a[i]);
    for (int i = 0; i < count_b; ++i) after[b[i].Name] = Describe(b[i]);
    for (const auto& [name, text] : before) {
      auto found = after.find(name);
      if (found == after.end()) {
        Add(kind, what + " " + name, "present", "removed");
      } else {
        IfDiffers(kind, what + " " + name, text, found->second);
      }
    }
    for (const auto& [name, text] : after) {
      if (!before.count(name)) Add(kind, what + " " + name, "", text.empty() ? "added" : text);
    }
  }

  template <class Record, int N>
  static std::vector<Record> InUse(const CheckedTable<Record, N>& table, int count) {
    std::vector<Record> records;
    for (int i = 0; i < std::min(count, N); ++i) records.push_back(table[i]);
    return records;
  }

  void Modifiers() {
    auto a = InUse(a_.Modifiers, a_.NumModifiers);
    auto b = InUse(b_.Modifiers, b_.NumModifiers);
    ByName(ChangeKind::kModifier, "modifier", a.data(), static_cast<int>(a.size()), b.data(),
           static_cast<int>(b.size()));
  }
  void Definitions() {
    auto a = InUse(a_.ModifierDefs, a_.NumModifierDefs);
    auto b = InUse(b_.ModifierDefs, b_.NumModifierDefs);
    ByName(ChangeKind::kDefinition, "definition", a.data(), static_cast<int>(a.size()), b.data(),
           static_cast<int>(b.size()));
  }

  static std::string Number(float value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
  }

  void Settings() {
    const auto setting = [this](const std::string& where, const std::string& before,
                                const std::string& after) {
      IfDiffers(ChangeKind::kSetting, where, before, after);
    };
    setting("description margin", Number(a_.MarginXDescr), Number(b_.MarginXDescr));
    setting("price margin", Number(a_.MarginXPrice), Number(b_.MarginXPrice));
    setting("top margin", Number(a_.MarginY), Number(b_.MarginY));
    setting("currency", a_.Currency, b_.Currency);
    setting("font", a_.FontName, b_.FontName);
    const char* const styles[] = {"text", "title", "note"};
    for (int style = 0; style < 3; ++style) {
      setting(std::string(styles[style]) + " background", a_.StyleBackColor[style], b_.StyleBackColor[style]);
      setting(std::string(styles[style]) + " text colour", a_.StyleForeColor[style],
              b_.StyleForeColor[style]);
    }
    setting("page colour", a_.DefaultPageColor, b_.DefaultPageColor);
    setting("print lines", std::to_string(a_.PrintLines), std::to_string(b_.PrintLines));
    setting("lettering", a_.PagesVersion, b_.PagesVersion);
    for (int col = 1; col <= kLanguages; ++col) {
      setting("language " + std::to_string(col), a_.Lang(0, col), b_.Lang(0, col));
    }
  }

  static inline const std::string kNone;
  const MenuDocument& a_;
  const MenuDocument& b_;
  MenuDiff diff_;
};

struct KindWords {
  ChangeKind kind;
  const char* name;
  const char* one;
  const char* many;
};

constexpr KindWords kKindWords[] = {
    {ChangeKind::kPluAdded, "plu_added", "new dish", "new dishes"},
    {ChangeKind::kPluRemoved, "plu_removed", "dish removed", "dishes removed"},
    {ChangeKind::kPluRenumbered, "plu_renumbered", "dish renumbered", "dishes renumbered"},
    {ChangeKind::kDescription, "description", "description", "descriptions"},
    {ChangeKind::kPrice, "price", "price", "prices"},
    {ChangeKind::kPluField, "plu_field", "PLU field", "PLU fields"},
    {ChangeKind::kTranslation, "translation", "translation", "translations"},
    {ChangeKind::kPageLine, "page_line", "page line", "page lines"},
    {ChangeKind::kPageReordered, "page_reordered", "reordered", "reordered"},
    {ChangeKind::kLineText, "line_text", "title or note", "titles and notes"},
    {ChangeKind::kGroupTitle, "group_title", "group title", "group titles"},
    {ChangeKind::kColour, "colour", "colour or picture", "colours and pictures"},
    {ChangeKind::kModifier, "modifier", "modifier", "modifiers"},
    {ChangeKind::kDefinition, "definition", "modifier definition", "modifier definitions"},
    {ChangeKind::kSetting, "setting", "setting", "settings"},
};

const KindWords& WordsOf(ChangeKind kind) {
  for (const KindWords& words : kKindWords) {
    if (words.kind == kind) return words;
  }
  return kKindWords[0];
}

}  // namespace

const char* ChangeKindName(ChangeKind kind) {
  return WordsOf(kind).name;
}

std::string MenuDiff::Summary() const {
  if (changes.empty()) return "nothing changed";
  std::string summary;
  const auto part = [&summary](const std::string& text) { summary += (summary.empty() ? "" : ", ") + text; };
  for (const KindWords& words : kKindWords) {
    if (words.kind == ChangeKind::kPageReordered) {
      for (const MenuChange& change : changes) {
        if (change.kind == words.kind) part(change.where + " reordered");
      }
      continue;
    }
    auto count = std::count_if(changes.begin(), changes.end(),
                               [&words](const MenuChange& change) { return change.kind == words.kind; });
    if (count > 0) part(std::to_string(count) + " " + (count == 1 ? words.one : words.many));
  }
  return summary;
}

std::string MenuDiff::Text() const {
  std::string text;
  for (const MenuChange& change : changes) {
    text += std::string(ChangeKindName(change.kind)) + " " + change.where;
    if (!change.before.empty() || !change.after.empty()) text += ": " + change.before + " -> " + change.after;
    text += "\n";
  }
  return text;
}

MenuDiff CompareMenus(const MenuDocument& before, const MenuDocument& after) {
  return Comparison(before, after).Run();
}

}  // namespace tabulo
