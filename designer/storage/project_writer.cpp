#include <algorithm>
#include <unordered_map>

#include "base/files.h"
#include "base/text_codec.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/storage/picture_paths.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"

namespace tabulo {
namespace {

std::string ModifierDefinitionsText(const MenuDocument& doc) {
  LineWriter out;
  for (int d = 0; d < std::min(doc.NumModifierDefs, kMaxModifierDefs); ++d) {
    const ModifierDefRecord& def = doc.ModifierDefs[d];
    out.Line(def.Name);
    for (int j = 0; j < std::min(def.Count, kMaxMembers); ++j) out.Line(PlainNumber(def.PluCode[j]));
    out.Line("");
  }
  return out.Text();
}

std::string ModifiersText(const MenuDocument& doc) {
  LineWriter out;
  for (int m = 0; m < std::min(doc.NumModifiers, kMaxModifiers); ++m) {
    const ModifierRecord& mod = doc.Modifiers[m];
    out.Line(mod.Name);
    for (int l = 0; l < std::min(mod.NumLevels, kMaxLevels); ++l) {
      out.Line(mod.LevelName[l]);
      if (mod.Obrigatorio[l] == 1) out.Line("obrigatorio");
      if (mod.Minimo[l] != 0) out.Line("minimo " + SignedText(mod.Minimo[l]));
      if (mod.Maximo[l] != 0) out.Line("maximo " + SignedText(mod.Maximo[l]));
      if (mod.Default[l] != 0) out.Line("default " + SignedText(mod.Default[l]));
    }
    out.Line("");
  }
  return out.Text();
}

std::string BotoesText(const MenuDocument& doc) {
  LineWriter out;
  for (int s = 0; s < kPageSlots; ++s) {
    if (s % kLinesPerPage == 0) out.Line("- Page " + SignedText(s / kLinesPerPage));
    out.Line(doc.Botoes[s] > 0 ? SignedText(doc.Botoes[s]) : "0");
  }
  return out.Text();
}

// The export files show the LAST catalogue entry with a line's number, as the page does.
std::unordered_map<int32_t, int32_t> LastEntryByNumber(const MenuDocument& doc) {
  std::unordered_map<int32_t, int32_t> last;
  for (int i = 0; i < std::min(doc.NumPlus, kMaxPlus); ++i) {
    double value = PluValue(doc, i);
    if (value != 0 && value == static_cast<double>(WholeNumber(value))) last[WholeNumber(value)] = i;
  }
  return last;
}

std::string PageExportText(const MenuDocument& doc, const std::unordered_map<int32_t, int32_t>& last,
                           int page, const CheckedTable<std::string, kMaxPlus>& field) {
  LineWriter out;
  for (int k = 0; k < kLinesPerPage; ++k) {
    int32_t number = doc.Botoes[SlotOf(page, k)];
    auto found = number != 0 ? last.find(number) : last.end();
    out.Line(found != last.end() ? field[found->second] : std::string());
  }
  return out.Text();
}

std::string PluDataText(const MenuDocument& doc) {
  LineWriter out;
  out.Reserve(static_cast<size_t>(std::max(doc.NumPlus, 0)) * 48);
  std::string& text = out.Text();
  for (int i = 0; i < std::min(doc.NumPlus, kMaxPlus); ++i) {
    text.append("st1,");
    for (const std::string* field :
         {&doc.PluNumber[i], &doc.PluField2[i], &doc.PluField3[i], &doc.PluPrice[i]}) {
      // Only the description may hold commas: one in a field before it would shift every later field when
      // read back ("2,50" would become the price "2" and the description "50,Soup"). It is written as the
      // decimal point it almost always is.
      size_t start = text.size();
      text.append(*field);
      std::replace(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), ',', '.');
      text.push_back(',');
    }
    out.Line(doc.PluDescription[i]);
  }
  return out.Text();
}

std::string PrinterText(const MenuDocument& doc) {
  LineWriter out;
  out.Line(PlainNumber(doc.MarginXDescr));
  out.Line(PlainNumber(doc.MarginXPrice));
  out.Line(PlainNumber(doc.MarginY));
  out.Line(doc.Currency);
  out.Line(doc.FontName);
  for (int style : {kStyleTitle, kStyleNote, kStyleText}) {
    out.Line(doc.StyleBackColor[style]);
    out.Line(doc.StyleForeColor[style]);
  }
  out.Line(doc.DefaultPageColor);
  out.Line(PlainNumber(doc.PrintLines));
  for (int p = 1; p <= kPages; ++p) {
    out.Line(doc.PageColorA[p]);
    out.Line(doc.PageColorB[p]);
  }
  for (int p = 1; p <= kPages; ++p) {
    out.Line(doc.PagePictureA[p]);
    out.Line(doc.PagePictureB[p]);
  }
  return out.Text();
}

std::string LayoutText(const MenuDocument& doc) {
  LineWriter out;
  for (int s = 0; s < kLayoutSlots; ++s) {
    const LineLayoutRecord& line = doc.LineLayout[s];
    out.Line(line.Text);
    out.Line(PlainNumber(line.Kind));
    out.Line(line.LineBackColor);
    out.Line(line.LineForeColor);
    out.Line(PlainNumber(line.Reserved));
    out.Line(line.TitleText);
    out.Line(line.TitleBackColor);
    out.Line(line.TitleForeColor);
    out.Line(line.TitlePicture);
  }
  for (int s = 0; s < kLayoutSlots; ++s) out.Line(PlainNumber(doc.LineLayout[s].TitleMark));
  return out.Text();
}

std::string LanguagesText(const MenuDocument& doc) {
  LineWriter out;
  out.Reserve(kLangRows * kLanguages * 2);
  for (int row = 0; row < kLangRows; ++row) {
    for (int col = 1; col <= kLanguages; ++col) out.Line(doc.Lang(row, col));
  }
  return out.Text();
}

void AddDataFiles(const MenuDocument& doc, FileBatch& batch) {
  auto add = [&](const std::string& suffix, std::string text) {
    EncodeFileTextInPlace(text);
    batch.Add(doc.ProjectBase + suffix, std::move(text));
  };
  add(kModifierDefinitionsFile, ModifierDefinitionsText(doc));
  add(kModifiersFile, ModifiersText(doc));
  add(kBotoesFile, BotoesText(doc));
  auto last = LastEntryByNumber(doc);
  for (int p = 1; p <= kPages; ++p)
    add(PageDescriptionFile(p), PageExportText(doc, last, p, doc.PluDescription));
  for (int p = 1; p <= kPages; ++p) add(PagePriceFile(p), PageExportText(doc, last, p, doc.PluPrice));
  add(kPluDataFile, PluDataText(doc));
  add(kPrinterFile, PrinterText(doc));
  add(kLayoutFile, LayoutText(doc));
  add(kLanguagesFile, LanguagesText(doc));
  add(kPagesVersionFile, doc.PagesVersion + "\r\n");
}

WriteReport Commit(FileBatch& batch) {
  FileBatch::Result result = batch.Commit();
  return {result.ok, result.failed_path, result.error};
}

}  // namespace

WriteReport WriteProjectFiles(const MenuDocument& doc) {
  FileBatch batch(doc.ProjectBase + kJournalFile);
  AddDataFiles(doc, batch);
  return Commit(batch);
}

WriteReport SaveProjectAs(MenuDocument& doc, const std::string& chosen) {
  const std::string path = ResolveProjectPath(chosen);
  // Pictures named relative to the old folder are the same files seen from the new one; pictures below the
  // new folder are named relative to it.
  RebasePictures(doc, doc.ProjectFolder, ProjectFolderOf(path));
  doc.ProjectFolder = ProjectFolderOf(path);
  doc.ProjectBase = ProjectBaseOf(path);
  FileBatch batch(doc.ProjectBase + kJournalFile);
  batch.Add(doc.ProjectBase + kProjectSuffix, "OK\r\n");
  AddDataFiles(doc, batch);
  return Commit(batch);
}

}  // namespace tabulo
