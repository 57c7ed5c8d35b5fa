#include "designer/import/catalogue_checks.h"

#include <algorithm>
#include <array>

#include "designer/document/numbers.h"

namespace tabulo {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (size_t i = 0; i < start.size(); ++i) {
    char a = text[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (a != start[i]) return false;
  }
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && StartsWithNoCase(text.substr(text.size() - end.size()), end);
}

// Blanks, including the no-break spaces spreadsheet programs put between a number and its currency.
std::string_view TrimPriceBlanks(std::string_view text) {
  static constexpr std::array<std::string_view, 4> kBlanks = {" ", "\t", "\xC2\xA0", "\xE2\x80\xAF"};
  bool trimmed = true;
  while (trimmed && !text.empty()) {
    trimmed = false;
    for (std::string_view blank : kBlanks) {
      if (text.substr(0, blank.size()) == blank) {
        text.remove_prefix(blank.size());
        trimmed = true;
      }
      if (text.size() >= blank.size() && text.substr(text.size() - blank.size()) == blank) {
        text.remove_suffix(blank.size());
        trimmed = true;
      }
    }
  }
  return text;
}

std::string_view WithoutCurrency(std::string_view text) {
  static constexpr std::array<std::string_view, 9> kCurrencies = {
      "\xE2\x82\xAC", "$", "\xC2\xA3", "EUR", "USD", "GBP", "CHF", "R$", "\xE2\x82\xA4"};
  text = TrimPriceBlanks(text);
  for (std::string_view currency : kCurrencies) {
    if (StartsWithNoCase(text, currency)) return TrimPriceBlanks(text.substr(currency.size()));
    if (EndsWithNoCase(text, currency)) return TrimPriceBlanks(text.substr(0, text.size() - currency.size()));
  }
  return text;
}

}  // namespace

std::optional<std::string> NormalisePrice(std::string_view text) {
  std::string_view bare = WithoutCurrency(text);
  if (bare.empty()) return std::string();
  std::string digits;
  size_t start = 0;
  if (bare[0] == '-') {
    digits += '-';
    start = 1;
  }
  size_t last_point = bare.rfind('.');
  size_t last_comma = bare.rfind(',');
  size_t commas = static_cast<size_t>(std::count(bare.begin(), bare.end(), ','));
  size_t points = static_cast<size_t>(std::count(bare.begin(), bare.end(), '.'));
  // The decimal separator is the last of the two when both appear, a comma or a point standing alone, and
  // none when the same mark repeats ("1,234,567"): the other marks group thousands.
  char decimal = 0;
  if (commas > 0 && points > 0) {
    decimal = last_comma > last_point ? ',' : '.';
  } else if (commas == 1) {
    decimal = ',';
  } else if (points == 1) {
    decimal = '.';
  }
  bool any_digit = false;
  bool had_decimal = false;
  int group = -1;  // digits since the last thousands separator; -1 before the first
  for (size_t i = start; i < bare.size(); ++i) {
    char c = bare[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      any_digit = true;
      if (group >= 0) ++group;
    } else if (c == decimal && !had_decimal) {
      if (group >= 0 && group != 3) return std::nullopt;
      if (!any_digit) digits += '0';
      digits += '.';
      had_decimal = true;
      group = -1;
    } else if ((c == ',' || c == '.' || c == '\'') && !had_decimal && any_digit && group != 0 &&
               (group < 0 ? digits.size() - start <= 3 : group == 3)) {
      group = 0;  // a thousands separator: groups of three digits follow
    } else {
      return std::nullopt;
    }
  }
  if (group >= 0 && group != 3) return std::nullopt;
  if (!any_digit || digits.back() == '.') return std::nullopt;
  return digits;
}

std::string PriceOfNumberCell(std::string price) {
  size_t point = price.find('.');
  if (point != std::string::npos && point + 2 == price.size() && price.find('E') == std::string::npos)
    price += '0';
  return price;
}

size_t CharacterCount(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::optional<int> PluNumberOf(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxTranslatedPlu) return std::nullopt;
  return value;
}

std::string PluRowChecker::Take(std::string_view number, std::string& price, std::string_view description,
                                int row, std::vector<std::string>& notes) {
  std::optional<int> value = PluNumberOf(number);
  if (!value) return kSkipBadNumber;
  std::optional<std::string> normal = NormalisePrice(price);
  if (!normal) return "price \"" + price + "\" is not a number";
  if (normal->empty()) return "no price";
  auto [seen, first] = rows_of_numbers_.emplace(*value, row);
  if (!first)
    return "PLU " + std::to_string(*value) + " already given in " + unit_ + " " +
           std::to_string(seen->second);
  price = std::move(*normal);
  if (CharacterCount(description) > kTerminalNameWidth)
    notes.push_back("name longer than the " + std::to_string(kTerminalNameWidth) +
                    " characters a terminal shows (imported)");
  return "";
}

std::vector<std::string> CheckCatalogue(const MenuDocument& doc) {
  std::vector<std::string> problems;
  std::unordered_map<int, int> entries_of_numbers;
  int count = std::clamp(doc.NumPlus, 0, kMaxPlus);
  for (int i = 0; i < count; ++i) {
    const std::string& number = doc.PluNumber[i];
    if (Trim(number) == "0") continue;
    std::string entry =
        "catalogue entry " + std::to_string(i + 1) + " (PLU \"" + std::string(Trim(number)) + "\"): ";
    for (const std::string* text : {&doc.PluNumber[i], &doc.PluPrice[i], &doc.PluDescription[i]}) {
      if (text->find('\0') != std::string::npos) {
        problems.push_back(entry + "holds a NUL character");
        break;
      }
    }
    std::optional<int> value = PluNumberOf(number);
    if (!value) {
      problems.push_back(entry + "the number is not a whole number from 1 to 9999");
    } else if (auto [seen, first] = entries_of_numbers.emplace(*value, i + 1); !first) {
      problems.push_back(entry + "the number is used by catalogue entry " + std::to_string(seen->second) +
                         " too");
    }
    // An empty price is left to the user (the card prints none); a text that is no price at all is not.
    if (!NormalisePrice(doc.PluPrice[i]))
      problems.push_back(entry + "the price \"" + doc.PluPrice[i] + "\" is not a number");
    if (CharacterCount(doc.PluDescription[i]) > kTerminalNameWidth)
      problems.push_back(entry + "the name is longer than the " + std::to_string(kTerminalNameWidth) +
                         " characters a terminal shows");
  }
  return problems;
}

}  // namespace tabulo
