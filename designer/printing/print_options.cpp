#include "designer/printing/print_options.h"

#include <cmath>
#include <cstdio>

#include "designer/document/numbers.h"

namespace tabulo {

std::optional<std::string> InsertPagesMessage(PrintOption option) {
  if (option == PrintOption::kAllFronts) return kInsertPagesA;
  if (option == PrintOption::kAllBacks) return kInsertPagesB;
  return std::nullopt;
}

LanguageBoxes LanguageBoxes::Initial() {
  LanguageBoxes boxes;
  boxes.checked[0] = true;
  boxes.bold[0] = true;
  return boxes;
}

void ClickLanguageBox(LanguageBoxes& boxes, int k) {
  if (k < 0 || k >= kLanguages) return;
  auto count_checked = [&boxes] {
    int count = 0;
    for (bool checked : boxes.checked) count += checked;
    return count;
  };
  auto on_click = [&] {
    const int count = count_checked();
    if (boxes.checked[k] && count == 1) boxes.bold[k] = true;
    if (!boxes.checked[k]) {
      boxes.bold[k] = false;
      if (count == 1) {
        for (int i = 0; i < kLanguages; ++i) boxes.bold[i] = boxes.checked[i];
      }
    }
    return count;
  };
  if (on_click() > 2) {
    // A third language is refused: the box is cleared again, and that click runs once more.
    boxes.checked[k] = false;
    on_click();
  }
}

PrintLanguages LanguagesOf(const LanguageBoxes& boxes) {
  PrintLanguages languages;
  languages.count = 0;
  std::optional<int> primary;
  for (int i = 0; i < kLanguages; ++i) {
    if (!boxes.checked[i]) continue;
    ++languages.count;
    if (boxes.bold[i] && !primary) primary = i;
  }
  // The dialog keeps one checked box bold; should none be, the first checked one leads.
  if (!primary) {
    for (int i = 0; i < kLanguages && !primary; ++i) {
      if (boxes.checked[i]) primary = i;
    }
  }
  languages.primary = primary.value_or(0);
  for (int i = 0; i < kLanguages; ++i) {
    if (boxes.checked[i] && i != languages.primary) {
      languages.secondary = i;
      break;
    }
  }
  return languages;
}

std::optional<PrintLanguages> ParsePrintLanguages(const std::string& list) {
  PrintLanguages languages;
  languages.count = 0;
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    auto number = StrictNumber(item);
    if (!number || *number != std::floor(*number) || *number < 1 || *number > kLanguages) return std::nullopt;
    const int index = static_cast<int>(*number) - 1;
    if (languages.count == 0) {
      languages.primary = index;
    } else if (languages.count == 1 && index != languages.primary) {
      languages.secondary = index;
    } else {
      return std::nullopt;
    }
    ++languages.count;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return languages;
}

bool SetMarginFromText(float& margin, const std::string& text) {
  auto number = StrictNumber(text, true);
  if (!number || !std::isfinite(*number) || std::fabs(*number) > 1e6) return false;
  const float value = static_cast<float>(*number);
  if (value == margin) return false;
  margin = value;
  return true;
}

std::string MarginText(float margin) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", static_cast<double>(margin));
  return text;
}

}  // namespace tabulo
