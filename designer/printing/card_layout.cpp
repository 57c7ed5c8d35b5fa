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
constexpr const char* kEuro = "\u20ac";

// A text too wide for its room is set smaller down to this size (still legible on the card stock), then
// cut with an ellipsis; it keeps this gap to the price column or the card's edge.
constexpr double kMinimumPoints = 6;
constexpr double kPointsStep = 0.5;
constexpr double kTextGap = 2;
constexpr const char* kEllipsis = "\u2026";

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
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

// The picture fields of a page as written before the page view resolves (and rewrites) them, so that a
// picture that is not found is named as the user gave it.
struct PictureFields {
  std::string front;
  std::string back;
  std::array<std::string, kLinesPerPage> groups;  // the group picture starting at each line

  PictureFields(const MenuDocument& doc, int page)
      : front(doc.PagePictureA[page]), back(doc.PagePictureB[page]) {
    for (int line = 0; line < kLinesPerPage; ++line) {
      const LineLayoutRecord& layout = doc.LineLayout[SlotOf(page, line)];
      if (layout.TitleMark == kTitleMarkStart) groups[line] = layout.TitlePicture;
    }
  }
};

// Draws one page's sides from its view.
class CardPrinter {
 public:
  CardPrinter(MenuDocument& doc, const PageView& view, const PrintSettings& settings, CardCanvas& canvas,
              const PictureFields& wanted, std::vector<std::string>* warnings)
      : doc_(doc),
        view_(view),
        wanted_(wanted),
        warnings_(warnings),
        languages_(settings.languages),
        canvas_(canvas),
        mxd_(doc.MarginXDescr),
        mxp_(doc.MarginXPrice),
        my_(doc.MarginY) {}

  bool Front() {
    if (!FrontHasText()) return false;
    Header(PrintedPlaque(doc_, view_, true), "Page A / Plaque K418B");
    if (doc_.PrintLines == 1) Panel(view_.front, wanted_.front);
    for (int line = 1; line <= kLinesPerPage; ++line) FrontLine(line);
    return true;
  }

  // The back is printed only when it has content of its own (group bars, group pictures, titles or, with
  // the lines printed, its page picture): a header alone would waste a card.
  bool Back() {
    if (!BackHasContent()) return false;
    Header(PrintedPlaque(doc_, view_, false), "Page B / Plaque K418A");
    if (doc_.PrintLines == 1) Panel(view_.back, wanted_.back);
    BackBars();
    BackImagesAndTexts();
    return true;
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
    if (doc_.PrintLines == 1 && !view_.back.picture.empty()) return true;
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

  void Panel(const SideView& side, const std::string& wanted) {
    canvas_.FillBox(mxd_ + kCardLeft, my_ + kCardTop, mxd_ + kCardRight, my_ + kCardBottom, side.back_color);
    if (side.picture.empty()) {
      if (!Blank(wanted)) Warn("Picture not found: " + wanted);
    } else if (!canvas_.MeasurePicture(side.picture)) {
      Warn("Picture cannot be read: " + side.picture);
    } else {
      canvas_.Picture(side.picture, mxd_ + kCardLeft, my_ + kCardTop);
    }
  }

  void Warn(const std::string& warning) {
    if (warnings_ && std::find(warnings_->begin(), warnings_->end(), warning) == warnings_->end())
      warnings_->push_back(warning);
  }

  // Prints `text` at x with its row centred on `middle`; returns the top of the next text row.
  double Centred(double x, double middle, const std::string& text) {
    const double top = middle - canvas_.TextHeight(text) / 2;
    canvas_.Text(x, top, text);
    return top + canvas_.TextHeight(text);
  }

  // Sets the font at `points`, or smaller down to kMinimumPoints until `text` fits `room`; returns `text`,
  // cut with an ellipsis when even the smallest size is too wide.
  std::string Fitted(const std::string& text, double points, double room) {
    double size = points;
    canvas_.SetFont(doc_.FontName, size);
    while (size > kMinimumPoints && canvas_.TextWidth(text) > room) {
      size = std::max(kMinimumPoints, size - kPointsStep);
      canvas_.SetFont(doc_.FontName, size);
    }
    if (canvas_.TextWidth(text) <= room) return text;
    std::string kept = text;
    while (!kept.empty() && canvas_.TextWidth(kept + kEllipsis) > room) {
      kept.erase(detail::LastCharacterStart(kept));
    }
    while (!kept.empty() && kept.back() == ' ') kept.pop_back();
    return kept + kEllipsis;
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

    const std::string price = PrintedPrice(view.price, doc_.Currency);
    // Texts end before the price column, or before the card's edge on a line without a price.
    const double card_room = kCardRight - kTextGap;
    const double room = price.empty() ? card_room : std::min(card_room, mxp_ - mxd_ - kTextGap);
    const std::string s2 = FrontText(line, 2);
    // No language checked prints the designer's own texts, as one language.
    if (s2 == s || languages_.count <= 1) {
      Centred(mxd_, y + kLineMiddle, Fitted(s, style.font_size, room));
    } else if (Blank(FrontText(line + 1, 1))) {
      // The next line is free (or there is none): the second language goes below, wrapped at 120 mm.
      Centred(mxd_, y + kLineMiddle, Fitted(s, style.font_size, room));
      canvas_.SetFont(doc_.FontName, kSecondTextPoints);
      const double wrap = std::min(kSecondTextWrap, card_room);
      auto [kept, rest] =
          ShortenText(s2, [this, wrap](const std::string& text) { return canvas_.TextWidth(text) <= wrap; });
      const double next_row = Centred(mxd_, y + kLinePitch, kept);
      // The cut was made at a space, which the next row drops; a word cut inside keeps all its characters.
      if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
      if (!rest.empty()) canvas_.Text(mxd_, next_row, Fitted(rest, kSecondTextPoints, wrap));
    } else {
      Centred(mxd_, y + kSharedFirstMiddle, Fitted(s, kSharedFirstPoints, room));
      canvas_.SetFont(doc_.FontName, kSharedSecondPoints);
      auto kept = ShortenText(s2, [this, room](const std::string& text) {
                    return canvas_.TextWidth(text) <= room;
                  }).first;
      Centred(mxd_, y + kSharedSecondMiddle, kept);
    }

    // The price is printed whole: a price too wide for the rest of the card is only set smaller.
    if (!price.empty()) {
      canvas_.SetFont(doc_.FontName, style.font_size);
      const double price_room = mxd_ + kCardRight - mxp_;
      for (double size = style.font_size; size > kMinimumPoints && canvas_.TextWidth(price) > price_room;) {
        size = std::max(kMinimumPoints, size - kPointsStep);
        canvas_.SetFont(doc_.FontName, size);
      }
      Centred(mxp_, y + kLineMiddle, price);
    }
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
      if (tag > 0 && !cell.cell_picture.empty()) {
        GroupPicture(cell.cell_picture, y, tag - kImageHeightLoss);
      } else if (cell.cell_picture.empty() && !Blank(wanted_.groups[line - 1])) {
        Warn("Picture not found: " + wanted_.groups[line - 1]);
      }
      const std::string text = BackLineText(doc_, view_, line, languages_);
      if (!text.empty()) {
        canvas_.SetColor(cell.title_fore_color);
        canvas_.Text(mxd_, y, Fitted(text, kBackTextPoints, kCardRight - kTextGap));
      }
    }
  }

  // The picture fills the whole box without distortion: a picture taller in proportion than the box loses
  // its bottom part, a wider one its right part.
  void GroupPicture(const std::string& path, double top, double height) {
    if (height <= 0) return;
    auto size = canvas_.MeasurePicture(path);
    if (!size || size->width <= 0 || size->height <= 0) {
      Warn("Picture cannot be read: " + path);
      return;
    }
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
  const PictureFields& wanted_;
  std::vector<std::string>* warnings_;
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
  const std::string entered(Trim(price));
  if (AsciiLower(entered).find(AsciiLower(currency)) != std::string::npos) return entered;
  if (entered.empty() || NumericValue(entered) <= 0) return {};
  // The old 7-character column only ever removed padding or, for a longer price, its digits or symbol
  // ("HF12.50", "234.50\u20ac"): the price is now printed whole, the symbol after it for "\u20ac" and before
  // any other.
  return currency == kEuro ? entered + currency : currency + entered;
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

bool PrintPage(MenuDocument& doc, int page, const PrintSettings& settings, CardCanvas& canvas,
               std::vector<std::string>* warnings) {
  const PictureFields wanted(doc, page);
  const PageView view = BuildPageView(doc, page);
  bool result = false;
  if (PrintsFront(settings.option))
    result = CardPrinter(doc, view, settings, canvas, wanted, warnings).Front();
  if (PrintsBack(settings)) {
    if (result && settings.option != PrintOption::kAllBacks) canvas.NewPage();
    result = CardPrinter(doc, view, settings, canvas, wanted, warnings).Back();
  }
  return result;
}

std::vector<std::string> LinesWithoutLanguage(MenuDocument& doc, int current_page,
                                              const PrintSettings& settings) {
  std::vector<std::string> lines;
  if (settings.languages.primary == 0 || !PrintsFront(settings.option)) return lines;
  const bool current = settings.option == PrintOption::kCurrentPage;
  const int first = current ? current_page : 1;
  const int last = current ? current_page : kPrintedPages;
  for (int page = std::max(first, 1); page <= std::min(last, kPages); ++page) {
    const PageView view = BuildPageView(doc, page);
    for (int line = 1; line <= kLinesPerPage; ++line) {
      const std::string& own = view.lines[line - 1].text;
      if (!Blank(own) && Blank(FrontLineText(doc, view, line, 1, settings.languages))) {
        lines.push_back("Page " + std::to_string(page) + ", line " + std::to_string(line) + ": " +
                        std::string(Trim(own)));
      }
    }
  }
  return lines;
}

namespace {

constexpr double kOutline = 0.2;  // mm, the lines of the calibration sheet
constexpr double kRulerTick = 2;
constexpr double kRulerHalfTick = 3.5;
constexpr double kRulerLongTick = 5;
constexpr double kRulerPoints = 6;
constexpr double kRulerLength = 200;  // fits A4 and Letter
constexpr double kRulerHeight = 270;

void Outline(CardCanvas& canvas, double x1, double y1, double x2, double y2) {
  canvas.FillBox(x1, y1, x2, y1 + kOutline, kBlack);
  canvas.FillBox(x1, y2 - kOutline, x2, y2, kBlack);
  canvas.FillBox(x1, y1, x1 + kOutline, y2, kBlack);
  canvas.FillBox(x2 - kOutline, y1, x2, y2, kBlack);
}

double TickLength(int mm) {
  return mm % 10 == 0 ? kRulerLongTick : mm % 5 == 0 ? kRulerHalfTick : kRulerTick;
}

}  // namespace

void PrintCalibrationSheet(const MenuDocument& doc, CardCanvas& canvas) {
  const double mxd = doc.MarginXDescr;
  const double mxp = doc.MarginXPrice;
  const double my = doc.MarginY;
  canvas.SetFont(doc.FontName, kRulerPoints);
  canvas.SetColor(kBlack);
  // Millimetre rulers along the top and the left edge, from the origin every card position is measured from;
  // every 10 mm numbered.
  for (int mm = 0; mm <= kRulerLength; ++mm) {
    canvas.FillBox(mm, 0, mm + kOutline, TickLength(mm), kBlack);
    if (mm % 10 == 0 && mm > 0) canvas.Text(mm + 0.5, kRulerLongTick, std::to_string(mm));
  }
  for (int mm = 0; mm <= kRulerHeight; ++mm) {
    canvas.FillBox(0, mm, TickLength(mm), mm + kOutline, kBlack);
    if (mm % 10 == 0 && mm > 0)
      canvas.Text(kRulerLongTick + 0.5, mm - kRulerPoints * 0.2, std::to_string(mm));
  }
  // The card, the key of every line and the two text columns, where the cards print them.
  Outline(canvas, mxd + kCardLeft, my + kCardTop, mxd + kCardRight, my + kCardBottom);
  for (int line = 1; line <= kLinesPerPage; ++line) {
    const double top = my + (line - 1) * kLinePitch;
    Outline(canvas, mxd + kFrontBarLeft, top, mxd + kCardRight, top + kBarHeight);
  }
  canvas.FillBox(mxd, my + kCardTop, mxd + kOutline, my + kCardBottom, kBlack);
  canvas.FillBox(mxp, my + kCardTop, mxp + kOutline, my + kCardBottom, kBlack);
  canvas.Text(mxd, my + kCardBottom + 2,
              "Margin X (Descr.) " + MarginText(doc.MarginXDescr) + " mm, Margin X (Price) " +
                  MarginText(doc.MarginXPrice) + " mm, Margin Y " + MarginText(doc.MarginY) + " mm");
}

PrintSummary PrintCards(MenuDocument& doc, int current_page, const PrintSettings& settings,
                        CardCanvas& canvas) {
  SheetCanvas sheets(canvas);
  PrintSummary summary;
  if (settings.option == PrintOption::kCurrentPage) {
    if (current_page >= 1 && current_page <= kPages)
      PrintPage(doc, current_page, settings, sheets, &summary.warnings);
  } else {
    for (int page = 1; page <= kPrintedPages; ++page) {
      if (PrintPage(doc, page, settings, sheets, &summary.warnings)) sheets.NewPage();
    }
  }
  summary.sheets = sheets.Sheets();
  return summary;
}

}  // namespace tabulo
