#include "designer/document/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tabulo {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Scans [sign] digits [point digits] from `pos`; returns the end of the number and whether it had a digit.
struct Scan {
  size_t end = 0;
  bool has_digit = false;
  double value = 0;
};

Scan ScanNumber(std::string_view text, size_t pos, char point, char other_point) {
  Scan scan;
  size_t i = pos;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  double value = 0;
  int digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    value = value * 10 + (text[i] - '0');
    ++digits;
    ++i;
  }
  bool fraction = false;
  if (i < text.size() && (text[i] == point || (other_point && text[i] == other_point))) {
    size_t after = i + 1;
    while (after < text.size() && IsDigit(text[after])) ++after;
    if (digits > 0 || after > i + 1) {
      fraction = after > i + 1;
      digits += static_cast<int>(after - i - 1);
      i = after;
    }
  }
  if (digits == 0) return Scan{pos, false, 0};
  scan.has_digit = true;
  scan.end = i;
  // Whole numbers of up to 15 digits are exact as summed; the rest goes through the library's exact
  // conversion, since digits summed one by one lose the last bit now and then.
  if (fraction || digits > 15) {
    std::string exact(text.substr(pos, i - pos));
    if (other_point) std::replace(exact.begin(), exact.end(), other_point, '.');
    const char* first = exact.data();
    if (*first == '+') ++first;
    double parsed = 0;
    auto result = std::from_chars(first, exact.data() + exact.size(), parsed);
    if (result.ec == std::errc()) value = std::fabs(parsed);
  }
  scan.value = negative ? -value : value;
  return scan;
}

size_t SkipBlanks(std::string_view text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

}  // namespace

std::string_view Trim(std::string_view text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

double NumericValue(std::string_view text) {
  Scan scan = ScanNumber(text, SkipBlanks(text, 0), '.', 0);
  return scan.has_digit && std::isfinite(scan.value) ? scan.value : 0.0;
}

bool HasLeadingNumber(std::string_view text) {
  return ScanNumber(text, SkipBlanks(text, 0), '.', 0).has_digit;
}

std::optional<double> StrictNumber(std::string_view text, bool decimal_comma) {
  std::string_view trimmed = Trim(text);
  Scan scan = ScanNumber(trimmed, 0, '.', decimal_comma ? ',' : 0);
  if (!scan.has_digit || scan.end != trimmed.size() || !std::isfinite(scan.value)) return std::nullopt;
  return scan.value;
}

int32_t WholeNumber(double value) {
  if (!std::isfinite(value)) return 0;
  double rounded = std::nearbyint(value);  // the default rounding mode rounds halves to even
  if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

int32_t IntegerValue(std::string_view text) {
  return WholeNumber(NumericValue(text));
}

std::string DecimalText(int64_t value) {
  return std::to_string(value);
}

std::string SignedText(int32_t value) {
  // Appended rather than "-" + text: the same result, without g++ 12's false overlap warning at -O3.
  std::string text(1, value < 0 ? '-' : ' ');
  text += DecimalText(value < 0 ? -static_cast<int64_t>(value) : value);
  return text;
}

std::string PlainNumber(int32_t value) {
  return SignedText(value) + " ";
}

std::string PlainNumber(float value) {
  if (!std::isfinite(value)) value = 0;
  // std::to_chars ignores the locale: a program whose locale writes decimal commas still writes a point.
  char buffer[64];
  auto end =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::general, 7).ptr;
  std::string digits(buffer, end);
  if (digits.rfind("0.", 0) == 0) digits.erase(0, 1);
  return (value < 0 ? "-" : " ") + digits + " ";
}

}  // namespace tabulo
