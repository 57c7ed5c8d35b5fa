#pragma once
// The editing rules of modifiers: modifier records (a PLU's levels), modifier definitions (named lists of
// member PLUs) and the default choices of a level. Records, levels and definitions are linked by their
// names, never by index. Removals move the last entry into the freed place; adds on a full table are told
// to the user and write nothing. The modifier panel calls these and redraws.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "designer/document/menu_document.h"
#include "platform/user_prompts.h"

namespace tabulo {

// Members 0..30 of a level have a default bit; a member from position 31 on can never be a default choice.
inline constexpr int kDefaultBits = 31;

inline constexpr const char* kNewModifierPrompt = " New Modifier";
inline constexpr const char* kModifierNameRequiredMessage =
    "A modifier definition needs a name: no definition was created.";
inline constexpr const char* kModifierRecordsFullMessage =
    "The modifier table is full (101 PLUs with modifiers): this PLU cannot be given modifiers.";
inline constexpr const char* kModifierDefsFullMessage =
    "The modifier definition table is full (101 definitions): no new definition can be created.";
inline constexpr const char* kLevelsFullMessage =
    "This PLU already has 11 modifier levels, the most it can have: no level can be added.";
// Followed by the definition's name in quotes.
inline constexpr const char* kMembersFullMessage =
    "A modifier definition holds at most 101 modifiers; this one is full, so nothing was added: ";

enum class ModifierEdit {
  kDone,       // the document changed
  kUnchanged,  // nothing to do (no such name, already there, a blank name)
  kFull,       // refused: the table is full; the user was told and nothing was written
};

// A member of a level as the panel lists it: position `pos` of definition `def`.
struct MemberRow {
  int def = 0;
  int pos = 0;
  bool operator==(const MemberRow&) const = default;
};

// The members a level named `level_name` offers: those of every definition with that name, in definition
// order and within each in member order. Row j of this list carries default bit j.
std::vector<MemberRow> LevelMembers(const MenuDocument& doc, const std::string& level_name);

// The first record / definition named `name` among those in use; -1 when none.
int FindModifierRecord(const MenuDocument& doc, const std::string& name);
int FindModifierDef(const MenuDocument& doc, const std::string& name);

// Gives the PLU described `plu_text` a modifier record (`Command3`). Unchanged for a blank text or when a
// record of that name exists already. The new record starts without levels.
ModifierEdit GiveModifierRecord(MenuDocument& doc, const std::string& plu_text, UserPrompts& prompts);
// Removes every record named `name` (`Command4`). Returns how many went.
int RemoveModifierRecords(MenuDocument& doc, const std::string& name);

// Creates a definition named as the user answers the " New Modifier" box (`Command5`). A cancelled box
// creates nothing; a blank answer is refused with a message. A full table is told before anything is asked.
ModifierEdit CreateModifierDef(MenuDocument& doc, UserPrompts& prompts);
// Deletes every definition named `name` (`Command6`). Levels naming it keep their name and their default
// choices. Returns how many.
int DeleteModifierDefs(MenuDocument& doc, const std::string& name);

// Appends PLU `plu` described `description` to every definition named `def_name` (`Command1`). The same PLU
// may be added more than once. When any of them is full nothing is added. A default stored for a member
// position the definition did not reach yet applies to the member that now fills it.
ModifierEdit AddMember(MenuDocument& doc, const std::string& def_name, int32_t plu,
                       const std::string& description, UserPrompts& prompts);
// Removes every member described `description` from every definition named `def_name` (`Command2`).
// Returns how many went.
int RemoveMembers(MenuDocument& doc, const std::string& def_name, const std::string& description);

// Adds definition `def_name` as a new level of record `record` (`Command8`): maximum 1, minimum 0, no
// default choice, not mandatory. Unchanged when the record has such a level already or is not in use.
ModifierEdit AddLevel(MenuDocument& doc, int record, const std::string& def_name, UserPrompts& prompts);
// Removes every level named `level_name` from every record named `record_name` (`Command7`). Returns how
// many went.
int RemoveLevels(MenuDocument& doc, const std::string& record_name, const std::string& level_name);

// The integer part of the numeric value of a typed text; 0 for text that is not a number.
int32_t IntegerPart(std::string_view text);
// Minimum, maximum, mandatory flag and default mask of level `level` of record `record`, as typed; nothing
// is written for a record or level not in use.
void SetMinimo(MenuDocument& doc, int record, int level, int32_t value);
void SetMaximo(MenuDocument& doc, int record, int level, int32_t value);
void SetObrigatorio(MenuDocument& doc, int record, int level, bool mandatory);
void SetDefault(MenuDocument& doc, int record, int level, int32_t mask);

// The default mask of checked rows (rows from 31 on have no bit), and whether row `row` is a default.
int32_t DefaultMask(const std::vector<bool>& checked);
bool IsDefaultChoice(int32_t mask, int row);
// Whether row `row` may be checked as a default of a level whose maximum is `maximum` while `checked` rows,
// it included, are: a level takes at most its maximum, and a row with no default bit would show a default
// never stored.
bool MayBeDefaultChoice(int row, int checked, double maximum);

}  // namespace tabulo
