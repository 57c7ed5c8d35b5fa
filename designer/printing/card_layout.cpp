#include "designer/printing/card_layout.h"

#include <algorithm>
#include <array>

#include "designer/document/numbers.h"

namespace tabulo {
namespace {

constexpr const char* kPlaqueLettersFromLastPage = "ABCDEFGHIJKL ";
// The back of a page carries the letter of the previous page's front: the same row shifted by a blank.
constexpr const char* kBackPlaqueLettersFromLastPage = " ABCDEFGHIJKL ";
constexpr const char* kPlaqueLettersFixed = "DEFGHIJKLABC ";
constexpr int kPlaquePages = 12;

constexpr double kHeaderCentre = 20;  // the plaque letter circle, independent of the margins
constexpr double kHeaderRadius = 10;
constexpr double kHeaderPoints = 22;
constexpr const char* kHeaderGap = "          ";  // 10 spaces between the letter and the header text

// The card area, from the margins.
constexpr double kCardLeft = -22;  // from MarginXDescr
constexpr double kCardRight = 142;
constexpr double kCardWidth = kCardRight - kCardLeft;  // 164 mm
constexpr double kCardTop = -10;                       // from MarginY
constexpr double kCardBottom = 172;
constexpr double kFrontBarLeft = -20;  // front bars start 2 mm inside the card
constexpr double kBarHeight = 5;
constexpr double kJoinedBarHeight = 7;    // down to the next line's bar
constexpr double kLineMiddle = 2.5;       // texts are centred on the middle of the bar
constexpr double kImageHeightLoss = 1.8;  // a group picture is this much shorter than its cell
constexpr double kBackTextPoints = 25;

constexpr double kSecondTextPoints = 8;  // second language below the line, using the next line's room
constexpr double kSecondTextWrap = 120;
constexpr double kSharedFirstPoints = 9;  // both languages within one line
constexpr double kSharedFirstMiddle = 1.5;
constexpr double kSharedSecondPoints = 7;
constexpr double kSharedSecondMiddle = 4;
constexpr size_t kPriceCharacters = 7;
constexpr const char* kEuro = "\u20ac";

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The last `count` characters of a UTF-8 text.
std::string LastCharacters(const std::string& text, size_t count) {
  size_t start = text.size();
  for (size_t taken = 0; taken < count && start > 0; ++taken) {
    --start;
    while (start > 0 && IsContinuation(static_cast<unsigned char>(text[start]))) --start;
  }
  return text.substr(start);
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string LetterAt(const std::string& letters, int position) {
  if (position < 1 || position > static_cast<int>(letters.size())) return {};
  return letters.substr(position - 1, 1);
}

bool Blank(const std::string& text) {
  return Trim(text).empty();
}

// Language L of a text row: column L + 1.
const std::string& LangText(const MenuDocument& doc, int row, int language) {
  return doc.Lang(row, language + 1);
}

bool PrintsFront(PrintOption option) {
  return option == PrintOption::kCurrentPage || option == PrintOption::kAllPages ||
         option == PrintOption::kAllFronts;
}

bool PrintsBack(const PrintSettings& settings) {
  switch (settings.option) {
    case PrintOption::kAllBacks:
      return true;
    case PrintOption::kCurrentPage:
    case PrintOption::kAllPages:
      return settings.backs_shown;
    default:
      return false;
  }
}

// Draws one page's sides from its view.
class CardPrinter {
 public:
  CardPrinter(MenuDocument& doc, const PageView& view, const PrintSettings& settings, CardCanvas& canvas)
      : doc_(doc),
        view_(view),
        languages_(settings.languages),
        canvas_(canvas),
        mxd_(doc.MarginXDescr),
        mxp_(doc.MarginXPrice),
        my_(doc.MarginY) {}

  bool Front() {
    if (!FrontHasText()) return false;
    Header(PrintedPlaque(doc_, view_, true), "Page A / Plaque K418B");
    if (doc_.PrintLines == 1) Panel(view_.front);
    for (int line = 1; line <= kLinesPerPage; ++line) FrontLine(line);
    return true;
  }

  bool Back() {
    bool printed = false;
    // The back counts its own lines too: bars, pictures or titles printed on a sheet without a header would
    // otherwise share the sheet of the next page's front.
    if (FrontHasText() || BackHasContent()) {
      Header(PrintedPlaque(doc_, view_, false), "Page B / Plaque K418A");
      if (doc_.PrintLines == 1) Panel(view_.back);
      printed = true;
    }
    BackBars();
    BackImagesAndTexts();
    return printed;
  }

 private:
  double LineTop(int line) const { return my_ + (line - 1) * kLinePitch; }
  const LineView& Line(int line) const { return view_.lines[line - 1]; }

  std::string FrontText(int line, int which) const {
    if (line > kLinesPerPage) return {};
    return FrontLineText(doc_, view_, line, which, languages_);
  }

  bool FrontHasText() const {
    for (int line = 1; line <= kLinesPerPage; ++line) {
      if (!Blank(FrontText(line, 1))) return true;
    }
    return false;
  }

  bool BackHasContent() const {
    for (int line = 1; line <= kLinesPerPage; ++line) {
      const LineView& cell = Line(line);
      if (cell.title_back_color != kWhite) return true;
      if (NumericValue(cell.cell_tag) > 0 && !cell.cell_picture.empty()) return true;
      if (!BackLineText(doc_, view_, line, languages_).empty()) return true;
    }
    return false;
  }

  // The plaque letter in its circle and the card type, in the menu's font.
  void Header(const std::string& letter, const std::string& card) {
    canvas_.SetFont(doc_.FontName, kHeaderPoints);
    const double x = kHeaderCentre - canvas_.TextWidth(letter) / 2;
    const double y = kHeaderCentre - canvas_.TextHeight(letter) / 2;
    canvas_.SetColor(kBlack);
    canvas_.Text(x, y, letter + kHeaderGap + card);
    canvas_.Circle(kHeaderCentre, kHeaderCentre, kHeaderRadius);
  }

  void Panel(const SideView& side) {
    canvas_.FillBox(mxd_ + kCardLeft, my_ + kCardTop, mxd_ + kCardRight, my_ + kCardBottom, side.back_color);
    if (!side.picture.empty()) canvas_.Picture(side.picture, mxd_ + kCardLeft, my_ + kCardTop);
  }

  // Prints `text` at x with its row centred on `middle`; returns the top of the next text row.
  double Centred(double x, double middle, const std::string& text) {
    const double top = middle - canvas_.TextHeight(text) / 2;
    canvas_.Text(x, top, text);
    return top + canvas_.TextHeight(text);
  }

  void FrontLine(int line) {
    const std::string s = FrontText(line, 1);
    const LineView& view = Line(line);
    // A line of a kind the designer does not know has no style of its own; it prints as a plain text line.
    const LineStyle style = view.style.value_or(LineStyle{kWhite, kBlack, kFontSizeText});
    const double y = LineTop(line);
    canvas_.SetFont(doc_.FontName, style.font_size);
    if (Blank(s)) return;
    if (doc_.PrintLines == 1)
      canvas_.FillBox(mxd_ + kFrontBarLeft, y, mxd_ + kCardRight, y + kBarHeight, style.back_color);
    canvas_.SetColor(style.fore_color);

    const std::string s2 = FrontText(line, 2);
    // No language checked prints the designer's own texts, as one language.
    if (s2 == s || languages_.count <= 1) {
      Centred(mxd_, y + kLineMiddle, s);
    } else if (Blank(FrontText(line + 1, 1))) {
      // The next line is free (or there is none): the second language goes below, wrapped at 120 mm.
      Centred(mxd_, y + kLineMiddle, s);
      canvas_.SetFont(doc_.FontName, kSecondTextPoints);
      auto [kept, rest] = ShortenText(
          s2, [this](const std::string& text) { return canvas_.TextWidth(text) <= kSecondTextWrap; });
      const double next_row = Centred(mxd_, y + kLinePitch, kept);
      // The cut was made at a space, which the next row drops; a word cut inside keeps all its characters.
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      if (!rest.empty()) canvas_.Text(mxd_, next_row, rest);
    } else {
      canvas_.SetFont(doc_.FontName, kSharedFirstPoints);
      Centred(mxd_, y + kSharedFirstMiddle, s);
      canvas_.SetFont(doc_.FontName, kSharedSecondPoints);
      auto kept = ShortenText(s2, [this](const std::string& text) {
                    return mxd_ + canvas_.TextWidth(text) <= mxp_;
                  }).first;
      Centred(mxd_, y + kSharedSecondMiddle, kept);
    }

    canvas_.SetFont(doc_.FontName, style.font_size);
    const std::string price = PrintedPrice(view.price, doc_.Currency);
    if (!price.empty()) Centred(mxp_, y + kLineMiddle, price);
  }

  void BackBars() {
    canvas_.SetFont(doc_.FontName, kBackTextPoints);
    for (int line = 1; line <= kLinesPerPage; ++line) {
      const int32_t colour = Line(line).title_back_color;
      if (colour == kWhite) continue;
      const bool joined = line < kLinesPerPage && Line(line + 1).title_back_color == colour;
      const double y = LineTop(line);
      canvas_.FillBox(mxd_ + kCardLeft, y, mxd_ + kCardRight, y + (joined ? kJoinedBarHeight : kBarHeight),
                      colour);
    }
  }

  void BackImagesAndTexts() {
    for (int line = 1; line <= kLinesPerPage; ++line) {
      const LineView& cell = Line(line);
      const double y = LineTop(line);
      const double tag = NumericValue(cell.cell_tag);
      if (tag > 0 && !cell.cell_picture.empty()) GroupPicture(cell.cell_picture, y, tag - kImageHeightLoss);
      const std::string text = BackLineText(doc_, view_, line, languages_);
      if (!text.empty()) {
        canvas_.SetColor(cell.title_fore_color);
        canvas_.Text(mxd_, y, text);
      }
    }
  }

  // The picture fills the whole box without distortion: a picture taller in proportion than the box loses
  // its bottom part, a wider one its right part.
  void GroupPicture(const std::string& path, double top, double height) {
    if (height <= 0) return;
    auto size = canvas_.MeasurePicture(path);
    if (!size || size->width <= 0 || size->height <= 0) return;
    const double w = size->width;
    const double h = size->height;
    MillimetreRect source{0, 0, w, h};
    if (w / kCardWidth < h / height) {
      source.height = w * height / kCardWidth;
    } else {
      source.width = h * kCardWidth / height;
    }
    canvas_.StretchPicture(path, {mxd_ + kCardLeft, top, kCardWidth, height}, source);
  }

  MenuDocument& doc_;
  const PageView& view_;
  const PrintLanguages& languages_;
  CardCanvas& canvas_;
  const double mxd_;
  const double mxp_;
  const double my_;
};

// Forwards to the real canvas; a sheet is started only when something is drawn after a page break, and
// the sheets drawn on are counted.
class SheetCanvas : public CardCanvas {
 public:
  explicit SheetCanvas(CardCanvas& target) : target_(target) {}

  int Sheets() const { return sheets_; }

  void SetFont(const std::string& face, double points) override { target_.SetFont(face, points); }
  void SetColor(int32_t rgb) override { target_.SetColor(rgb); }
  double TextWidth(const std::string& text) override { return target_.TextWidth(text); }
  double TextHeight(const std::string& text) override { return target_.TextHeight(text); }
  void Text(double x, double y, const std::string& text) override {
    Draw();
    target_.Text(x, y, text);
  }
  void FillBox(double x1, double y1, double x2, double y2, int32_t rgb) override {
    Draw();
    target_.FillBox(x1, y1, x2, y2, rgb);
  }
  void Circle(double cx, double cy, double radius) override {
    Draw();
    target_.Circle(cx, cy, radius);
  }
  std::optional<PictureSize> MeasurePicture(const std::string& path) override {
    return target_.MeasurePicture(path);
  }
  void Picture(const std::string& path, double x, double y) override {
    Draw();
    target_.Picture(path, x, y);
  }
  void StretchPicture(const std::string& path, const MillimetreRect& target,
                      const MillimetreRect& source) override {
    Draw();
    target_.StretchPicture(path, target, source);
  }
  void NewPage() override { break_pending_ = sheets_ > 0; }

 private:
  void Draw() {
    if (sheets_ == 0) {
      sheets_ = 1;
    } else if (break_pending_) {
      target_.NewPage();
      ++sheets_;
    }
    break_pending_ = false;
  }

  CardCanvas& target_;
  int sheets_ = 0;
  bool break_pending_ = false;
};

}  // namespace

namespace detail {
size_t LastCharacterStart(const std::string& text) {
  if (text.empty()) return 0;
  size_t start = text.size() - 1;
  while (start > 0 && IsContinuation(static_cast<unsigned char>(text[start]))) --start;
  return start;
}
}  // namespace detail

std::string FrontLineText(const MenuDocument& doc, const PageView& view, int line, int which,
                          const PrintLanguages& languages) {
  if (line < 1 || line > kLinesPerPage) return {};
  if (which == 2 && !languages.secondary) return {};
  const int language = which == 2 ? *languages.secondary : languages.primary;
  const LineView& shown = view.lines[line - 1];
  if (language == 0) return shown.text;
  if (!shown.tag.empty()) {
    const int32_t number = IntegerValue(doc.PluNumber[IntegerValue(shown.tag)]);
    if (number > 0) {
      // A PLU numbered beyond the translation rows would read the rows of line texts: it has no translation.
      if (number > kMaxTranslatedPlu) return {};
      return LangText(doc, number, language);
    }
  }
  return LangText(doc, kLangRowLineText + SlotOf(view.page, line - 1), language);
}

std::string BackLineText(const MenuDocument& doc, const PageView& view, int line,
                         const PrintLanguages& languages) {
  if (line < 1 || line > kLinesPerPage) return {};
  if (languages.primary == 0) return view.lines[line - 1].title_text;
  return LangText(doc, kLangRowTitleText + SlotOf(view.page, line - 1), languages.primary);
}

std::string PrintedPrice(const std::string& price, const std::string& currency) {
  if (AsciiLower(price).find(AsciiLower(currency)) != std::string::npos) return std::string(Trim(price));
  if (Blank(price) || NumericValue(price) <= 0) return {};
  const std::string padded =
      std::string(kPriceCharacters, ' ') + (currency == kEuro ? price + currency : currency + price);
  return std::string(Trim(LastCharacters(padded, kPriceCharacters)));
}

std::string PrintedPlaque(const MenuDocument& doc, const PageView& view, bool front) {
  if (view.page <= kPlaquePages) {
    if (doc.PagesVersion == "0") {
      const int position = kPlaquePages - LastUsedPage(doc) + view.page;
      return LetterAt(front ? kPlaqueLettersFromLastPage : kBackPlaqueLettersFromLastPage, position);
    }
    if (doc.PagesVersion == "1") return LetterAt(kPlaqueLettersFixed, view.page);
  }
  // Past page 12, or under a lettering the designer does not know, the page shows its letter as drawn.
  return view.plaque.value_or("");
}

bool PrintPage(MenuDocument& doc, int page, const PrintSettings& settings, CardCanvas& canvas) {
  const PageView view = BuildPageView(doc, page);
  bool result = false;
  if (PrintsFront(settings.option)) result = CardPrinter(doc, view, settings, canvas).Front();
  if (PrintsBack(settings)) {
    if (result && settings.option != PrintOption::kAllBacks) canvas.NewPage();
    result = CardPrinter(doc, view, settings, canvas).Back();
  }
  return result;
}

PrintSummary PrintCards(MenuDocument& doc, int current_page, const PrintSettings& settings,
                        CardCanvas& canvas) {
  SheetCanvas sheets(canvas);
  if (settings.option == PrintOption::kCurrentPage) {
    if (current_page >= 1 && current_page <= kPages) PrintPage(doc, current_page, settings, sheets);
  } else {
    for (int page = 1; page <= kPrintedPages; ++page) {
      if (PrintPage(doc, page, settings, sheets)) sheets.NewPage();
    }
  }
  return {sheets.Sheets()};
}

}  // namespace tabulo
