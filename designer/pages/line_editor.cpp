#include "designer/pages/line_editor.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "designer/catalogue/catalogue_list.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/pages/line_grid.h"
#include "designer/pages/page_view.h"

namespace tabulo {
namespace {

bool ValidRow(int row) {
  return row >= 0 && row < kLanguages;
}

// The slot of the edited line on the page shown now; nothing for a hand-over outside the page.
std::optional<int> CurrentSlot(const MenuDocument& doc, int page) {
  const int line = doc.Hand.CurrentLine;
  if (page < 1 || page > kPages || line < 0 || line >= kLinesPerPage) return std::nullopt;
  return SlotOf(page, line);
}

int StyleOfKind(int32_t kind) {
  if (kind == kKindTitle) return kStyleTitle;
  if (kind == kKindNote) return kStyleNote;
  return kStyleText;
}

// The catalogue index a line's tag holds, when it names an entry in use.
std::optional<int> TagIndex(const MenuDocument& doc, const std::string& tag) {
  if (Trim(tag).empty()) return std::nullopt;
  int index = IntegerValue(tag);
  if (index < 0 || index >= std::min(doc.NumPlus, kMaxPlus)) return std::nullopt;
  return index;
}

// The five texts the dialog shows go with the item into its language row, so a line that becomes a PLU (or
// the reverse), and a PLU given a new number, take their translations along instead of finding whatever an
// earlier owner of the row left there.
void StoreTexts(MenuDocument& doc, std::optional<int> row, const LanguageRows& languages) {
  if (!row) return;
  for (int i = 0; i < kLanguages; ++i) doc.Lang(*row, i + 1) = languages.texts[i];
}

// A new number for catalogue entry `t`. A text that is not a PLU number would hide the PLU from the list and
// unbind it from its lines, so it is refused. Lines and modifier definitions that named the PLU by its old
// number follow it, unless another entry still carries that number.
void RenumberPlu(MenuDocument& doc, int t, const std::string& text, std::vector<std::string>& messages) {
  if (doc.PluNumber[t] == text) return;
  auto number = PluNumberOf(text);
  if (!number) {
    messages.push_back(kPluKeepsNumberMessage);
    return;
  }
  // Taking another dish's number would hide that dish from its lines and give it this one's texts.
  if (auto other = PluNumberTakenBy(doc, text, t)) {
    messages.push_back(PluNumberInUseMessage(doc, *other, false));
    return;
  }
  const int32_t old = WholeNumber(PluValue(doc, t));
  doc.PluNumber[t] = text;
  doc.PluField3[t] = text;
  if (old <= 0 || old == *number || FindPlu(doc, old)) return;
  for (int s = 0; s < kLineSlots; ++s) {
    if (doc.Botoes[s] == old) doc.Botoes[s] = *number;
  }
  for (int d = 0; d < std::min(doc.NumModifierDefs, kMaxModifierDefs); ++d) {
    ModifierDefRecord& def = doc.ModifierDefs[d];
    for (int m = 0; m < std::min(def.Count, kMaxMembers); ++m) {
      if (def.PluCode[m] == old) def.PluCode[m] = *number;
    }
  }
}

void CommitPlu(MenuDocument& doc, int t, const LineEditorFields& fields, std::vector<std::string>& messages) {
  RenumberPlu(doc, t, fields.text1, messages);
  doc.PluPrice[t] = fields.text2;
  StoreTexts(doc, LanguageRowOfPlu(WholeNumber(PluValue(doc, t))), fields.languages);
}

}  // namespace

// ---- Translation ----

std::optional<int> SourceRow(const LanguageRows& rows, int target) {
  for (int j = 0; j < kLanguages; ++j) {
    if (j != target && rows.names[j] == "English" && !rows.texts[j].empty()) return j;
  }
  for (int j = 0; j < kLanguages; ++j) {
    if (j != target && !rows.texts[j].empty()) return j;
  }
  return std::nullopt;
}

RowTranslation TranslateRow(const LanguageRows& rows, int row, TextTranslator& translator) {
  if (!ValidRow(row)) return {};
  // The row is cleared first, so it is never its own source and ends empty when there is nothing to
  // translate from.
  auto source = SourceRow(rows, row);
  if (!source) return {};
  Translation result = translator.Translate(rows.texts[*source], rows.names[*source], rows.names[row]);
  // An empty answer to a text is no translation either; storing it would erase the row.
  if (result.ok() && !result.text.empty()) return {result.text, ""};
  return {rows.texts[row], result.message.empty() ? kCouldNotTranslateMessage : result.message};
}

void StoreLanguageName(MenuDocument& doc, int row, const std::string& name) {
  if (ValidRow(row)) doc.Lang(0, row + 1) = name;
}

// ---- Line editor ----

std::optional<int32_t> PluNumberOf(const std::string& text) {
  auto value = StrictNumber(text);
  if (!value || *value < 1 || *value > std::numeric_limits<int32_t>::max() || std::floor(*value) != *value) {
    return std::nullopt;
  }
  return static_cast<int32_t>(*value);
}

std::optional<int> LanguageRowOfPlu(int32_t number) {
  if (number < 1 || number > kMaxTranslatedPlu) return std::nullopt;
  return number;
}

std::optional<int> EditedPlu(const MenuDocument& doc, const PageLine& line) {
  if (doc.Hand.EditFromPage) return TagIndex(doc, line.tag);
  if (doc.Hand.EditPluNumber <= 0) return std::nullopt;
  return FindPlu(doc, doc.Hand.EditPluNumber);
}

std::optional<int> PluNumberTakenBy(const MenuDocument& doc, const std::string& text1,
                                    std::optional<int> edited) {
  auto number = PluNumberOf(text1);
  if (!number) return std::nullopt;
  for (int i = 0; i < std::min(doc.NumPlus, kMaxPlus); ++i) {
    if (i != edited && PluValue(doc, i) == *number) return i;
  }
  return std::nullopt;
}

std::string PluNumberInUseMessage(const MenuDocument& doc, int taken_by, bool creating) {
  return "PLU number " + std::string(Trim(doc.PluNumber[taken_by])) + " is already used by \"" +
         doc.PluDescription[taken_by] +
         "\": " + (creating ? "no PLU was created." : "the PLU keeps its number.");
}

void HandOverCatalogueRow(MenuDocument& doc, int row, int32_t plu_number) {
  doc.Hand.EditListIndex = static_cast<int16_t>(std::clamp(row, -1, 32767));
  doc.Hand.EditPluNumber = plu_number;
  doc.Hand.EditPluPrice = plu_number > 0 ? PriceOfPlu(doc, plu_number) : std::string();
  doc.Hand.EditFromPage = false;
}

LineEditorLoad LoadLineEditor(MenuDocument& doc, int page, const PageLine& line) {
  LineEditorLoad load;
  HandOver& hand = doc.Hand;
  load.text1 = DecimalText(hand.EditPluNumber);
  load.text2 = hand.EditPluPrice;
  std::optional<int> text_row;
  if (hand.EditFromPage) {
    auto s = CurrentSlot(doc, page);
    const LineLayoutRecord& layout = doc.LineLayout[s.value_or(-1)];
    if (!layout.LineBackColor.empty()) {
      load.back_color = ColourValue(layout.LineBackColor, ShownLineColour(doc, page, true));
    }
    if (!layout.LineForeColor.empty()) {
      load.fore_color = ColourValue(layout.LineForeColor, ShownLineColour(doc, page, false));
    }
    if (layout.Kind == kKindTitle || layout.Kind == kKindNote) {
      load.text1 = DecimalText(NextPluNumber(doc));
      load.option = layout.Kind == kKindTitle ? LineOption::kTitle : LineOption::kNote;
      if (s) {
        hand.EditPluNumber = kLangRowLineText + *s;
        text_row = hand.EditPluNumber;
      }
      // The hand-over keeps the price of whatever PLU was opened before; a line without a PLU has none, and
      // showing that price would make it the price of the PLU this line may become.
      if (line.tag.empty()) load.text2.clear();
    } else if (layout.Kind == kKindPlu || !line.tag.empty()) {
      // A line bound by typing on the grid keeps kind 0 and is a PLU line all the same; without the option
      // its number and price edits would be dropped on closing.
      load.option = LineOption::kPluCode;
    }
    load.languages.texts[0] = line.text;
    load.colours_enabled = true;
  } else {
    load.languages.texts[0] = hand.EditPluNumber > 0 ? DescriptionOfPlu(doc, hand.EditPluNumber) : "";
    // A catalogue PLU can be nothing else, and its number and price are edited under this option.
    load.option = LineOption::kPluCode;
    load.colours_enabled = false;
  }
  if (!text_row) text_row = LanguageRowOfPlu(hand.EditPluNumber);
  for (int i = 0; i < kLanguages; ++i) {
    load.languages.names[i] = doc.Lang(0, i + 1);
    if (i > 0 && text_row) load.languages.texts[i] = doc.Lang(*text_row, i + 1);
  }
  return load;
}

LineOption ChooseLineOption(const MenuDocument& doc, LineOption wanted) {
  if (!doc.Hand.EditFromPage && (wanted == LineOption::kTitle || wanted == LineOption::kNote)) {
    return LineOption::kPluCode;
  }
  return wanted;
}

LineTextStore StoreLineText(MenuDocument& doc, int page, LineOption option, const std::string& text1, int row,
                            const std::string& text) {
  LineTextStore result;
  if (!ValidRow(row)) return result;
  if (option == LineOption::kTitle || option == LineOption::kNote) {
    auto s = CurrentSlot(doc, page);
    if (!s) return result;
    doc.Lang(kLangRowLineText + *s, row + 1) = text;
    result.stored = true;
    return result;
  }
  auto number = PluNumberOf(text1);
  // A number that names no catalogue entry renames nothing: the look-up would otherwise fall on entry 0.
  if (row == 0 && number) {
    if (auto index = FindPlu(doc, *number)) {
      GridState grid;
      grid.page = page;
      grid.tags[0] = std::to_string(*index);
      result.renamed_plu = LiveRename(doc, grid, 0, text);
    }
  }
  auto language_row = number ? LanguageRowOfPlu(*number) : std::nullopt;
  if (!language_row) {
    result.no_language_row = true;
    return result;
  }
  doc.Lang(*language_row, row + 1) = text;
  result.stored = true;
  return result;
}

int32_t ShownLineColour(const MenuDocument& doc, int page, bool back) {
  auto s = CurrentSlot(doc, page);
  const LineLayoutRecord& layout = doc.LineLayout[s.value_or(-1)];
  const int style = StyleOfKind(layout.Kind);
  if (back) return ColourValue(GetColor(layout.LineBackColor, doc.StyleBackColor[style]), kWhite);
  return ColourValue(GetColor(layout.LineForeColor, doc.StyleForeColor[style]), kBlack);
}

void StoreLineColour(MenuDocument& doc, int page, bool back, int32_t colour) {
  auto s = CurrentSlot(doc, page);
  if (!s) return;
  LineLayoutRecord& layout = doc.LineLayout[*s];
  (back ? layout.LineBackColor : layout.LineForeColor) = DecimalText(colour);
}

std::vector<std::string> CloseLineEditor(MenuDocument& doc, int page, const LineEditorFields& fields,
                                         const PageLine& line) {
  std::vector<std::string> messages;
  const HandOver& hand = doc.Hand;
  if (!hand.EditFromPage) {
    // Looked up once; a number that names no entry commits nothing rather than falling on entry 0.
    if (hand.EditPluNumber > 0) {
      if (auto t = FindPlu(doc, hand.EditPluNumber)) CommitPlu(doc, *t, fields, messages);
    }
    return messages;
  }
  auto s = CurrentSlot(doc, page);
  if (!s) return messages;
  LineLayoutRecord& layout = doc.LineLayout[*s];
  const std::string& main_text = fields.languages.texts[0];
  auto bound = TagIndex(doc, line.tag);
  switch (fields.option) {
    case LineOption::kPluCode:
      if (bound) {
        CommitPlu(doc, *bound, fields, messages);
        layout.Text = main_text;
        layout.Kind = kKindPlu;
      } else if (!fields.text1.empty()) {
        auto number = PluNumberOf(fields.text1);
        if (!number) {
          messages.push_back(kPluNotCreatedMessage);
          break;
        }
        if (auto other = PluNumberTakenBy(doc, fields.text1, std::nullopt)) {
          messages.push_back(PluNumberInUseMessage(doc, *other, true));
          break;
        }
        if (!AppendPlu(doc, fields.text1, fields.text2, main_text)) {
          messages.push_back(kCatalogueFullMessage);
          break;
        }
        doc.Botoes[*s] = *number;
        StoreTexts(doc, LanguageRowOfPlu(*number), fields.languages);
        layout.Kind = kKindPlu;
      }
      break;
    case LineOption::kTitle:
    case LineOption::kNote:
      // The PLU leaves the catalogue list with its number; its entry stays.
      if (bound) doc.PluNumber[*bound] = "0";
      doc.Botoes[*s] = 0;
      layout.Text = main_text;
      layout.Kind = fields.option == LineOption::kTitle ? kKindTitle : kKindNote;
      StoreTexts(doc, kLangRowLineText + *s, fields.languages);
      break;
    case LineOption::kNone:
      break;
  }
  return messages;
}

}  // namespace tabulo
