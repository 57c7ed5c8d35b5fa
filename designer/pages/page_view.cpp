#include "designer/pages/page_view.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "designer/document/numbers.h"

namespace tabulo {
namespace {

constexpr const char* kPlaqueLettersFromLastPage = "ABCDEFGHIJKL ";
constexpr const char* kPlaqueLettersFixed = "DEFGHIJKLABC ";
constexpr int kPlaquePages = 12;

// One character (1-based position) of a letter row; "" outside it.
std::string LetterAt(const std::string& letters, int position) {
  if (position < 1 || position > static_cast<int>(letters.size())) return {};
  return letters.substr(position - 1, 1);
}

std::string MillimetresText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

LineStyle StyleOf(const MenuDocument& doc, const LineLayoutRecord& line, int style, int font_size) {
  int32_t back_default = ColourValue(doc.StyleBackColor[style], kBuiltinStyleBack[style]);
  int32_t fore_default = ColourValue(doc.StyleForeColor[style], kBuiltinStyleFore[style]);
  LineStyle result;
  result.back_color = ColourValue(GetColor(line.LineBackColor, doc.StyleBackColor[style]), back_default);
  result.fore_color = ColourValue(GetColor(line.LineForeColor, doc.StyleForeColor[style]), fore_default);
  result.font_size = font_size;
  return result;
}

SideView SideOf(MenuDocument& doc, std::string& colour, std::string& picture, const PictureProbe& probe) {
  if (colour.empty()) colour = kPageDefaultColorText;
  SideView side;
  side.back_color = ColourValue(colour, kPageDefaultColor);
  if (!picture.empty()) side.picture = ResolvePicture(picture, doc.ProjectFolder, probe);
  return side;
}

}  // namespace

bool PictureFileReadable(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  return in.good();
}

int32_t ColourValue(const std::string& text, int32_t fallback) {
  auto number = StrictNumber(text);
  if (!number || *number < 0 || *number > kWhite) return fallback;
  return WholeNumber(*number);
}

std::optional<std::string> PlaqueLetter(const MenuDocument& doc, int page) {
  if (page > kPlaquePages) return std::string();
  if (doc.PagesVersion == "0") {
    int last = LastUsedPage(doc);
    return LetterAt(kPlaqueLettersFromLastPage, (kPlaquePages - last) + page);
  }
  if (doc.PagesVersion == "1") return LetterAt(kPlaqueLettersFixed, page);
  return std::nullopt;
}

PageView BuildPageView(MenuDocument& doc, int page, const PictureProbe& probe) {
  PageView view;
  view.page = page;
  view.front = SideOf(doc, doc.PageColorA[page], doc.PagePictureA[page], probe);
  view.back = SideOf(doc, doc.PageColorB[page], doc.PagePictureB[page], probe);
  view.plaque = PlaqueLetter(doc, page);
  view.font_name = doc.FontName;

  const int first_slot = SlotOf(page, 0);
  const int last_slot = SlotOf(page, kLinesPerPage - 1);

  // The PLU of a line is the LAST catalogue entry with its number. One pass over the catalogue serves all 24
  // lines, so a full catalogue costs one numeric conversion per entry rather than one per entry and line.
  std::array<int32_t, kLinesPerPage> bound{};
  std::vector<int> lines_with_plu;
  for (int k = 0; k < kLinesPerPage; ++k) {
    bound[k] = doc.Botoes[first_slot + k];
    if (bound[k] != 0) lines_with_plu.push_back(k);
  }
  std::array<int, kLinesPerPage> catalogue_index;
  catalogue_index.fill(-1);
  if (!lines_with_plu.empty()) {
    const int count = std::min(std::max(doc.NumPlus, 0), kMaxPlus);
    for (int i = 0; i < count; ++i) {
      double value = NumericValue(doc.PluNumber[i]);
      if (value == 0) continue;  // no line binds 0, and deleted entries are "0"
      for (int k : lines_with_plu) {
        if (value == bound[k]) catalogue_index[k] = i;
      }
    }
  }

  for (int k = 0; k < kLinesPerPage; ++k) {
    const int s = first_slot + k;
    const LineLayoutRecord& layout = doc.LineLayout[s];
    LineView& line = view.lines[k];
    if (layout.TitleMark == kTitleMarkPictureCovered) line.cell_visible = false;

    if (int i = catalogue_index[k]; i >= 0) {
      line.price = doc.PluPrice[i];
      line.text = doc.PluDescription[i];
      line.tag = std::to_string(i);
    }
    if (!layout.TitleBackColor.empty()) line.title_back_color = ColourValue(layout.TitleBackColor, kWhite);
    if (!layout.TitleForeColor.empty()) line.title_fore_color = ColourValue(layout.TitleForeColor, kBlack);

    switch (layout.Kind) {
      case kKindUnset:
      case kKindPlu:
        line.style = StyleOf(doc, layout, kStyleText, kFontSizeText);
        break;
      case kKindTitle:
        line.text = layout.Text;
        line.style = StyleOf(doc, layout, kStyleTitle, kFontSizeTitle);
        break;
      case kKindNote:
        line.text = layout.Text;
        line.style = StyleOf(doc, layout, kStyleNote, kFontSizeNote);
        break;
      default:
        break;
    }

    if (layout.TitleMark == kTitleMarkStart && !Trim(layout.TitlePicture).empty()) {
      // The cell stretches through the first line after its group. The walk stops at the page's last line;
      // a group starting there covers its own line only (walking on would reach into the next page).
      int j = s;
      if (s < last_slot) {
        do {
          ++j;
        } while (doc.LineLayout[j].TitleMark == kTitleMarkPictureCovered &&
                 j % kLinesPerPage != kLinesPerPage - 1);
      }
      const int end_line = j - first_slot;
      line.cell_height_twips = kLineStepTwips * (end_line - k) + kCellHeightTwips;
      line.cell_visible = true;
      line.cell_tag = MillimetresText(kMillimetresPerLine * (j - s + 1));
      line.cell_picture = ResolvePicture(doc.LineLayout[s].TitlePicture, doc.ProjectFolder, probe);
    }
    if (!Trim(layout.TitleText).empty()) line.title_text = layout.TitleText;
  }
  return view;
}

}  // namespace tabulo
