#include "designer/catalogue/modifier_edits.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

#include "designer/document/numbers.h"

namespace tabulo {
namespace {

int RecordCount(const MenuDocument& doc) {
  return std::clamp(doc.NumModifiers, 0, kMaxModifiers);
}
int DefCount(const MenuDocument& doc) {
  return std::clamp(doc.NumModifierDefs, 0, kMaxModifierDefs);
}
int LevelCount(const ModifierRecord& record) {
  return std::clamp(record.NumLevels, 0, kMaxLevels);
}
int MemberCount(const ModifierDefRecord& def) {
  return std::clamp(def.Count, 0, kMaxMembers);
}

// Bits 0..n-1 of a mask, n at most 31.
uint32_t LowBits(int n) {
  n = std::clamp(n, 0, kDefaultBits);
  return (uint32_t{1} << n) - 1;
}

// Where the entries of a table went through removals that move the last entry into the freed place:
// origin[now] = the entry's place before.
struct Origins {
  explicit Origins(int count) : origin(count) { std::iota(origin.begin(), origin.end(), 0); }
  void Removed(int at, int last) {
    origin[at] = origin[last];
    origin.pop_back();
  }
  std::optional<int> NowAt(int before) const {
    auto found = std::find(origin.begin(), origin.end(), before);
    if (found == origin.end()) return std::nullopt;
    return static_cast<int>(found - origin.begin());
  }
  std::vector<int> origin;
};

// The default choices of every level, held as the members they name while an edit moves members or
// definitions about, then written back as the bits of those members' new rows. Without this a removal
// would leave a level's default on whichever member moved into the removed one's place.
//
// A default is the user's choice and only their click on a member row changes it: bits that name no member
// yet (a project whose definition has not been filled, or a definition deleted to be made again) are kept as
// they are, so the members added later come with the defaults stored for them.
class DefaultChoices {
 public:
  explicit DefaultChoices(const MenuDocument& doc) {
    for (int m = 0; m < RecordCount(doc); ++m) {
      const ModifierRecord& record = doc.Modifiers[m];
      for (int l = 0; l < LevelCount(record); ++l) {
        std::vector<MemberRow> rows = LevelMembers(doc, record.LevelName[l]);
        const auto mask = static_cast<uint32_t>(record.Default[l]);
        Level level{m, l, mask, mask & ~LowBits(static_cast<int>(rows.size())), {}};
        for (int j = 0; j < std::min<int>(rows.size(), kDefaultBits); ++j) {
          if (IsDefaultChoice(record.Default[l], j)) level.chosen.push_back(rows[j]);
        }
        levels_.push_back(std::move(level));
      }
    }
  }

  // `now_at` gives a member's place after the edit from its place before; nothing for a removed member.
  template <class NowAt>
  void Restore(MenuDocument& doc, NowAt now_at) const {
    for (const Level& level : levels_) {
      ModifierRecord& record = doc.Modifiers[level.record];
      std::vector<MemberRow> rows = LevelMembers(doc, record.LevelName[level.level]);
      // A level whose definition is gone keeps its choices for the day a definition of its name is back.
      if (rows.empty()) {
        record.Default[level.level] = static_cast<int32_t>(level.stored);
        continue;
      }
      uint32_t mask = level.beyond_members;
      for (const MemberRow& before : level.chosen) {
        std::optional<MemberRow> after = now_at(before);
        if (!after) continue;
        auto found = std::find(rows.begin(), rows.end(), *after);
        int row = static_cast<int>(found - rows.begin());
        if (found != rows.end() && row < kDefaultBits) mask |= uint32_t{1} << row;
      }
      record.Default[level.level] = static_cast<int32_t>(mask);
    }
  }

 private:
  struct Level {
    int record = 0;
    int level = 0;
    uint32_t stored = 0;          // the mask as it was
    uint32_t beyond_members = 0;  // its bits past the members the level had
    std::vector<MemberRow> chosen;
  };
  std::vector<Level> levels_;
};

std::vector<int> DefsNamed(const MenuDocument& doc, const std::string& name) {
  std::vector<int> found;
  for (int i = 0; i < DefCount(doc); ++i) {
    if (doc.ModifierDefs[i].Name == name) found.push_back(i);
  }
  return found;
}

void MoveLevel(ModifierRecord& record, int from, int to) {
  record.LevelName[to] = record.LevelName[from];
  record.Obrigatorio[to] = record.Obrigatorio[from];
  record.Minimo[to] = record.Minimo[from];
  record.Maximo[to] = record.Maximo[from];
  record.Default[to] = record.Default[from];
}

void ClearLevel(ModifierRecord& record, int level) {
  record.LevelName[level].clear();
  record.Obrigatorio[level] = 0;
  record.Minimo[level] = 0;
  record.Maximo[level] = 0;
  record.Default[level] = 0;
}

bool LevelInUse(const MenuDocument& doc, int record, int level) {
  return record >= 0 && record < RecordCount(doc) && level >= 0 && level < LevelCount(doc.Modifiers[record]);
}

}  // namespace

std::vector<MemberRow> LevelMembers(const MenuDocument& doc, const std::string& level_name) {
  std::vector<MemberRow> rows;
  for (int i : DefsNamed(doc, level_name)) {
    for (int j = 0; j < MemberCount(doc.ModifierDefs[i]); ++j) rows.push_back({i, j});
  }
  return rows;
}

int FindModifierRecord(const MenuDocument& doc, const std::string& name) {
  for (int i = 0; i < RecordCount(doc); ++i) {
    if (doc.Modifiers[i].Name == name) return i;
  }
  return -1;
}

int FindModifierDef(const MenuDocument& doc, const std::string& name) {
  std::vector<int> found = DefsNamed(doc, name);
  return found.empty() ? -1 : found.front();
}

ModifierEdit GiveModifierRecord(MenuDocument& doc, const std::string& plu_text, UserPrompts& prompts) {
  if (Trim(plu_text).empty() || FindModifierRecord(doc, plu_text) >= 0) return ModifierEdit::kUnchanged;
  const int n = RecordCount(doc);
  if (n >= kMaxModifiers) {
    prompts.Message(kModifierRecordsFullMessage);
    return ModifierEdit::kFull;
  }
  // A new record starts empty: its entry may still hold the levels of a record removed earlier, which
  // would otherwise reappear on a PLU that never had them.
  doc.Modifiers[n] = ModifierRecord{};
  doc.Modifiers[n].Name = plu_text;
  doc.NumModifiers = n + 1;
  return ModifierEdit::kDone;
}

int RemoveModifierRecords(MenuDocument& doc, const std::string& name) {
  int count = RecordCount(doc);
  int removed = 0;
  // The place just filled is looked at again: the record moved into it may carry the same name.
  for (int i = 0; i < count;) {
    if (doc.Modifiers[i].Name != name) {
      ++i;
      continue;
    }
    doc.Modifiers[i] = doc.Modifiers[count - 1];
    doc.Modifiers[count - 1] = ModifierRecord{};
    --count;
    ++removed;
  }
  doc.NumModifiers = count;
  return removed;
}

ModifierEdit CreateModifierDef(MenuDocument& doc, UserPrompts& prompts) {
  const int n = DefCount(doc);
  if (n >= kMaxModifierDefs) {
    prompts.Message(kModifierDefsFullMessage);
    return ModifierEdit::kFull;
  }
  // A definition without a name could never be named by a level, and its empty line in the file would end
  // the definitions there: a cancelled box creates nothing, a blank name is refused.
  std::optional<std::string> name = prompts.Input(kNewModifierPrompt, "", "");
  if (!name) return ModifierEdit::kUnchanged;
  if (Trim(*name).empty()) {
    prompts.Message(kModifierNameRequiredMessage);
    return ModifierEdit::kUnchanged;
  }
  doc.ModifierDefs[n] = ModifierDefRecord{};
  doc.ModifierDefs[n].Name = std::move(*name);
  doc.NumModifierDefs = n + 1;
  return ModifierEdit::kDone;
}

int DeleteModifierDefs(MenuDocument& doc, const std::string& name) {
  DefaultChoices defaults(doc);
  int count = DefCount(doc);
  Origins origins(count);
  int removed = 0;
  for (int i = 0; i < count;) {
    if (doc.ModifierDefs[i].Name != name) {
      ++i;
      continue;
    }
    doc.ModifierDefs[i] = doc.ModifierDefs[count - 1];
    doc.ModifierDefs[count - 1] = ModifierDefRecord{};
    origins.Removed(i, count - 1);
    --count;
    ++removed;
  }
  doc.NumModifierDefs = count;
  if (removed > 0) {
    defaults.Restore(doc, [&](MemberRow before) -> std::optional<MemberRow> {
      auto def = origins.NowAt(before.def);
      if (!def) return std::nullopt;
      return MemberRow{*def, before.pos};
    });
  }
  return removed;
}

ModifierEdit AddMember(MenuDocument& doc, const std::string& def_name, int32_t plu,
                       const std::string& description, UserPrompts& prompts) {
  std::vector<int> defs = DefsNamed(doc, def_name);
  if (defs.empty()) return ModifierEdit::kUnchanged;
  for (int i : defs) {
    if (MemberCount(doc.ModifierDefs[i]) >= kMaxMembers) {
      prompts.Message(std::string(kMembersFullMessage) + "\"" + def_name + "\".");
      return ModifierEdit::kFull;
    }
  }
  // Two definitions of one name show as one list: a member added to the first shifts the rows of the next.
  DefaultChoices defaults(doc);
  for (int i : defs) {
    ModifierDefRecord& def = doc.ModifierDefs[i];
    const int n = MemberCount(def);
    def.PluCode[n] = plu;
    def.PluDesc[n] = description;
    def.Count = n + 1;
  }
  defaults.Restore(doc, [](MemberRow before) { return std::optional<MemberRow>(before); });
  return ModifierEdit::kDone;
}

int RemoveMembers(MenuDocument& doc, const std::string& def_name, const std::string& description) {
  DefaultChoices defaults(doc);
  std::vector<std::pair<int, Origins>> moved;
  int removed = 0;
  for (int i : DefsNamed(doc, def_name)) {
    ModifierDefRecord& def = doc.ModifierDefs[i];
    int count = MemberCount(def);
    Origins origins(count);
    // The place just filled is looked at again: the member moved into it may carry the same text.
    for (int j = 0; j < count;) {
      if (def.PluDesc[j] != description) {
        ++j;
        continue;
      }
      def.PluDesc[j] = def.PluDesc[count - 1];
      def.PluCode[j] = def.PluCode[count - 1];
      def.PluDesc[count - 1].clear();
      def.PluCode[count - 1] = 0;
      origins.Removed(j, count - 1);
      --count;
      ++removed;
    }
    def.Count = count;
    moved.emplace_back(i, std::move(origins));
  }
  if (removed > 0) {
    defaults.Restore(doc, [&](MemberRow before) -> std::optional<MemberRow> {
      for (const auto& [def, origins] : moved) {
        if (def != before.def) continue;
        auto pos = origins.NowAt(before.pos);
        if (!pos) return std::nullopt;
        return MemberRow{def, *pos};
      }
      return before;
    });
  }
  return removed;
}

ModifierEdit AddLevel(MenuDocument& doc, int record, const std::string& def_name, UserPrompts& prompts) {
  if (record < 0 || record >= RecordCount(doc)) return ModifierEdit::kUnchanged;
  ModifierRecord& rec = doc.Modifiers[record];
  const int n = LevelCount(rec);
  for (int k = 0; k < n; ++k) {
    if (rec.LevelName[k] == def_name) return ModifierEdit::kUnchanged;
  }
  if (n >= kMaxLevels) {
    prompts.Message(kLevelsFullMessage);
    return ModifierEdit::kFull;
  }
  // A new level starts clean: its entry may still hold the minimum, defaults and mandatory flag of a level
  // removed earlier, which belong to another definition's members.
  ClearLevel(rec, n);
  rec.LevelName[n] = def_name;
  rec.Maximo[n] = 1;
  rec.NumLevels = n + 1;
  return ModifierEdit::kDone;
}

int RemoveLevels(MenuDocument& doc, const std::string& record_name, const std::string& level_name) {
  int removed = 0;
  for (int i = 0; i < RecordCount(doc); ++i) {
    ModifierRecord& record = doc.Modifiers[i];
    if (record.Name != record_name) continue;
    int count = LevelCount(record);
    for (int k = 0; k < count;) {
      if (record.LevelName[k] != level_name) {
        ++k;
        continue;
      }
      MoveLevel(record, count - 1, k);
      ClearLevel(record, count - 1);
      --count;
      ++removed;
    }
    record.NumLevels = count;
  }
  return removed;
}

int32_t IntegerPart(std::string_view text) {
  double value = std::trunc(NumericValue(text));
  if (std::isnan(value)) return 0;
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

void SetMinimo(MenuDocument& doc, int record, int level, int32_t value) {
  if (LevelInUse(doc, record, level)) doc.Modifiers[record].Minimo[level] = value;
}

void SetMaximo(MenuDocument& doc, int record, int level, int32_t value) {
  if (LevelInUse(doc, record, level)) doc.Modifiers[record].Maximo[level] = value;
}

void SetObrigatorio(MenuDocument& doc, int record, int level, bool mandatory) {
  if (LevelInUse(doc, record, level)) doc.Modifiers[record].Obrigatorio[level] = mandatory ? 1 : 0;
}

void SetDefault(MenuDocument& doc, int record, int level, int32_t mask) {
  if (LevelInUse(doc, record, level)) doc.Modifiers[record].Default[level] = mask;
}

bool MayBeDefaultChoice(int row, int checked, double maximum) {
  return row < kDefaultBits && checked <= maximum;
}

int32_t DefaultMask(const std::vector<bool>& checked) {
  uint32_t mask = 0;
  for (int j = 0; j < std::min<int>(checked.size(), kDefaultBits); ++j) {
    if (checked[j]) mask |= uint32_t{1} << j;
  }
  return static_cast<int32_t>(mask);
}

bool IsDefaultChoice(int32_t mask, int row) {
  return row >= 0 && row < kDefaultBits && ((static_cast<uint32_t>(mask) >> row) & 1u) != 0;
}

}  // namespace tabulo
