#include "designer/import/page_fill.h"

#include <algorithm>
#include <unordered_map>

#include "designer/document/catalogue_lookup.h"
#include "designer/import/catalogue_checks.h"
#include "designer/import/catalogue_file.h"

namespace tabulo {
namespace {

struct UsablePage {
  int page = 0;
  int lines = 0;
};

// The lines a page may be given: the project files keep pages 1..13 whole and only the first line of page 14.
int KeptLines(int page) {
  return page <= kLastWholePage ? kLinesPerPage : kKeptLinesOfLastPage;
}

// A title line already on the page lends the new titles its colours, so the layout keeps the page's look.
TitleStyle TitleStyleOf(const MenuDocument& doc, int page) {
  for (int k = 0; k < KeptLines(page); ++k) {
    const LineLayoutRecord& line = doc.LineLayout[SlotOf(page, k)];
    if (line.Kind == kKindTitle) return {line.LineBackColor, line.LineForeColor};
  }
  return {};
}

void EmptyPage(MenuDocument& doc, int page) {
  for (int k = 0; k < kLinesPerPage; ++k) {
    int s = SlotOf(page, k);
    doc.Botoes[s] = 0;
    doc.LineLayout[s] = LineLayoutRecord{};
    for (int col = 1; col <= kLanguages; ++col) {
      doc.Lang(kLangRowLineText + s, col) = "";
      doc.Lang(kLangRowTitleText + s, col) = "";
    }
  }
}

std::string PageRange(const std::vector<int>& pages) {
  if (pages.empty()) return "no page";
  if (pages.size() == 1) return "page " + std::to_string(pages[0]);
  return "pages " + std::to_string(pages.front()) + " to " + std::to_string(pages.back());
}

std::string Plural(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool PageInUse(const MenuDocument& doc, int page) {
  for (int k = 0; k < kLinesPerPage; ++k) {
    int s = SlotOf(page, k);
    int32_t kind = doc.LineLayout[s].Kind;
    if (doc.Botoes[s] > 0 || kind == kKindTitle || kind == kKindNote) return true;
  }
  return false;
}

PageFillPlan PlanPageFill(const MenuDocument& doc, const std::string& path, const PageFillOptions& options) {
  PageFillPlan plan;
  plan.file = FileNameOf(path);
  if (options.start_page < 0 || options.start_page > kPages) {
    plan.error = "The start page must be a page from 1 to " + std::to_string(kPages) + ".";
    return plan;
  }

  // The columns of the menu's languages, by their names; a column named twice is read once.
  std::vector<std::string> headers = {kCategoryHeader};
  std::vector<int> language_of_column;
  for (int col = 1; col <= kLanguages; ++col) {
    const std::string& name = doc.Lang(0, col);
    if (name.empty()) continue;
    headers.push_back(name);
    language_of_column.push_back(col);
  }
  CatalogueFile read = ReadCatalogueFile(path, SpreadsheetKind::Detect, headers);
  if (!read.ok) {
    plan.error = read.error;
    return plan;
  }
  plan.ignored_columns = read.staged.other_headers;
  plan.catalogue = PlanCatalogueUpdate(doc, plan.file, read.staged);
  if (std::clamp(doc.NumPlus, 0, kMaxPlus) + static_cast<long long>(plan.catalogue.added.size()) > kMaxPlus) {
    plan.error = "The " + std::to_string(plan.catalogue.added.size()) +
                 " new PLUs do not fit into the catalogue of " + std::to_string(kMaxPlus) +
                 ". Nothing was changed.";
    return plan;
  }

  // Dishes in file order; a row without a category follows the one before it.
  const StagedCatalogue& staged = read.staged;
  for (size_t i = 0; i < staged.entries.size(); ++i) {
    FilledDish dish;
    dish.number = *PluNumberOf(staged.entries[i].PluNumber);  // the checks let only such numbers through
    const std::vector<std::string>& extra = staged.extras[i];
    for (size_t k = 0; k < language_of_column.size(); ++k) {
      // A column named after two languages fills the first; an empty cell keeps the text the PLU had.
      std::string& text = dish.texts[static_cast<size_t>(language_of_column[k] - 1)];
      if (text.empty()) text = extra[k + 1];
    }
    const std::string& category = extra[0];
    if (plan.categories.empty() || (!category.empty() && category != plan.categories.back().name))
      plan.categories.push_back({category, 0, 0, 0, true});
    ++plan.categories.back().dishes;
    plan.dishes.push_back(std::move(dish));
  }
  if (plan.dishes.empty()) {
    plan.error = "\"" + plan.file + "\" holds no dish to lay out. Nothing was changed.";
    return plan;
  }

  // The pages the layout may use, from the start page on: the pages in use are emptied with `replace`, and
  // skipped without it.
  int start = options.start_page;
  if (start == 0) {
    start = 1;
    while (!options.replace && start <= kPages && PageInUse(doc, start)) ++start;
  }
  std::vector<UsablePage> usable;
  for (int p = start; p <= kPages; ++p) {
    bool in_use = PageInUse(doc, p);
    if (in_use && !options.replace) continue;
    if (in_use) plan.emptied.push_back(p);
    usable.push_back({p, KeptLines(p)});
    plan.lines_available += KeptLines(p);
    plan.title_styles[static_cast<size_t>(p)] = TitleStyleOf(doc, p);
  }

  // Placement, continuing past the usable pages onto pages of 24 lines that do not exist, so that what
  // does not fit can be named and counted.
  int last_page = usable.empty() ? start - 1 : usable.back().page;
  auto page_at = [&](size_t i) {
    return i < usable.size() ? usable[i].page : last_page + static_cast<int>(i - usable.size()) + 1;
  };
  auto lines_at = [&](size_t i) { return i < usable.size() ? usable[i].lines : kLinesPerPage; };
  size_t page = 0;
  int line = 0;
  int dish = 0;
  bool fits = true;
  for (size_t c = 0; c < plan.categories.size(); ++c) {
    FilledCategory& category = plan.categories[c];
    const int title = category.name.empty() ? 0 : 1;
    // A category that does not fit on what is left of the page moves to the next one: one that fits on a
    // page is never split, and one longer than a page starts on a fresh page.
    if (line > 0 && title + category.dishes > lines_at(page) - line) {
      ++page;
      line = 0;
    }
    int placed = 0;
    while (placed < category.dishes) {
      if (lines_at(page) - line <= title) {  // no room for its title and a dish
        ++page;
        line = 0;
        continue;
      }
      if (category.first_page == 0) category.first_page = page_at(page);
      category.last_page = page_at(page);
      bool kept = page < usable.size();
      if (!kept) category.fits = false;
      // A category continued on the next page repeats its title there.
      if (title && kept) plan.lines.push_back({SlotOf(page_at(page), line), static_cast<int>(c), -1});
      line += title;
      int count = std::min(category.dishes - placed, lines_at(page) - line);
      for (int k = 0; k < count; ++k) {
        if (kept)
          plan.lines.push_back({SlotOf(page_at(page), line + k), static_cast<int>(c), dish + placed + k});
      }
      if (kept && (plan.pages.empty() || plan.pages.back() != page_at(page)))
        plan.pages.push_back(page_at(page));
      placed += count;
      line += count;
      if (placed < category.dishes) {
        ++page;
        line = 0;
      }
    }
    dish += category.dishes;
    fits = fits && category.fits;
  }
  // A dish on a page that stays keeps its key there: the user is told, since the new page's line would then
  // be no key of its own.
  std::unordered_map<int, int> first_kept_page;
  for (int s = kPageSlots - 1; s >= 0; --s) {
    int p = s / kLinesPerPage + 1;
    bool emptied = options.replace && p >= start;  // a page with a PLU is in use
    if (doc.Botoes[s] > 0 && !emptied) first_kept_page[doc.Botoes[s]] = p;
  }
  for (const FilledDish& filled : plan.dishes) {
    if (auto kept = first_kept_page.find(filled.number); kept != first_kept_page.end())
      plan.also_on_kept_pages.emplace_back(filled.number, kept->second);
  }
  for (size_t i = 0; i < page; ++i) plan.lines_needed += lines_at(i);
  plan.lines_needed += line;

  if (!fits) {
    plan.error = "The layout needs " + std::to_string(plan.lines_needed) + " lines from page " +
                 std::to_string(start) + " on (page ends left free so that no category is split), but " +
                 (options.replace ? "" : "the free ") + "pages from page " + std::to_string(start) +
                 " hold " + std::to_string(plan.lines_available) + " (pages 1 to " +
                 std::to_string(kLastWholePage) + " and the first line of page " + std::to_string(kPages) +
                 " are kept). Nothing was changed.";
    return plan;
  }
  plan.ok = true;
  return plan;
}

std::string DescribePageFill(const PageFillPlan& plan) {
  std::string text;
  auto name_of = [](const FilledCategory& category) {
    return category.name.empty() ? std::string("(no category)") : category.name;
  };
  // Page by page, each category with the dishes it has on that page.
  int shown_page = 0;
  std::vector<std::pair<int, int>> on_page;  // category, dishes
  auto flush = [&] {
    if (shown_page == 0) return;
    text += "Page " + std::to_string(shown_page) + ":";
    for (size_t i = 0; i < on_page.size(); ++i)
      text += (i ? ", " : " ") + name_of(plan.categories[static_cast<size_t>(on_page[i].first)]) + " (" +
              std::to_string(on_page[i].second) + ")";
    text += "\n";
    on_page.clear();
  };
  for (const FilledLine& line : plan.lines) {
    int page = line.slot / kLinesPerPage + 1;
    if (page != shown_page) {
      flush();
      shown_page = page;
    }
    if (on_page.empty() || on_page.back().first != line.category) on_page.push_back({line.category, 0});
    if (line.dish >= 0) ++on_page.back().second;
  }
  flush();
  for (const FilledCategory& category : plan.categories) {
    if (!category.fits)
      text += "Does not fit: " + name_of(category) + " (" +
              Plural(static_cast<size_t>(category.dishes), "dish", "dishes") + ", would reach page " +
              std::to_string(category.last_page) + ")\n";
  }
  if (!plan.emptied.empty()) {
    text += "Emptied first:";
    for (int page : plan.emptied) text += " " + std::to_string(page);
    text += "\n";
  }
  for (const auto& [number, page] : plan.also_on_kept_pages)
    text += "PLU " + std::to_string(number) + " stays on page " + std::to_string(page) +
            " too: the terminals know it by its first line.\n";
  for (const std::string& column : plan.ignored_columns)
    text += "Column \"" + column + "\" not read: it is no language of the menu.\n";
  if (plan.catalogue.ok)
    text += "Catalogue: " + Plural(plan.catalogue.added.size(), "new PLU", "new PLUs") + ", " +
            std::to_string(plan.catalogue.changed.size()) + " changed.\n";
  if (!plan.catalogue.skipped.empty()) text += SkippedReport(plan.catalogue.skipped) + "\n";
  return text;
}

std::string PageFillSummary(const PageFillPlan& plan) {
  size_t titled = static_cast<size_t>(std::count_if(plan.categories.begin(), plan.categories.end(),
                                                    [](const FilledCategory& c) { return !c.name.empty(); }));
  return Plural(plan.dishes.size(), "dish", "dishes") + " in " + Plural(titled, "category", "categories") +
         " laid out on " + Plural(plan.pages.size(), "page", "pages") + " (" + PageRange(plan.pages) + ").";
}

bool ApplyPageFill(MenuDocument& doc, const PageFillPlan& plan, std::string& error) {
  if (!plan.ok) {
    error = plan.error;
    return false;
  }
  if (!ApplyCatalogueUpdate(doc, plan.catalogue, error)) return false;
  for (int page : plan.emptied) EmptyPage(doc, page);
  for (const FilledLine& line : plan.lines) {
    LineLayoutRecord& layout = doc.LineLayout[line.slot];
    layout = LineLayoutRecord{};
    for (int col = 1; col <= kLanguages; ++col) doc.Lang(kLangRowLineText + line.slot, col) = "";
    if (line.dish < 0) {
      // A title line as the line editor makes one: the text also in the first language row.
      const TitleStyle& style = plan.title_styles[static_cast<size_t>(line.slot / kLinesPerPage + 1)];
      const std::string& name = plan.categories[static_cast<size_t>(line.category)].name;
      doc.Botoes[line.slot] = 0;
      layout.Kind = kKindTitle;
      layout.Text = name;
      layout.LineBackColor = style.back;
      layout.LineForeColor = style.fore;
      doc.Lang(kLangRowLineText + line.slot, 1) = name;
    } else {
      doc.Botoes[line.slot] = plan.dishes[static_cast<size_t>(line.dish)].number;
      layout.Kind = kKindPlu;
    }
  }
  for (const FilledDish& dish : plan.dishes) {
    for (int col = 1; col <= kLanguages; ++col) {
      const std::string& text = dish.texts[static_cast<size_t>(col - 1)];
      if (!text.empty()) doc.Lang(dish.number, col) = text;
    }
  }
  return true;
}

}  // namespace tabulo
