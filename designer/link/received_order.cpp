#include "designer/link/received_order.h"

#include <algorithm>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"

namespace tabulo {
namespace {

constexpr size_t kColumnWidth = 30;

int32_t FieldValue(const std::string& buffer, int index) {
  size_t start = static_cast<size_t>(index) * kOrderFieldWidth;
  if (start >= buffer.size()) return 0;
  return IntegerValue(Trim(std::string_view(buffer).substr(start, kOrderFieldWidth)));
}

size_t CharacterCount(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(
      utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string Column(const std::string& text) {
  size_t length = CharacterCount(text);
  return length < kColumnWidth ? text + std::string(kColumnWidth - length, ' ') : text + " ";
}

}  // namespace

ReceivedOrder DecodeReceivedOrder(int32_t terminal, int32_t count, int32_t table,
                                  const std::string& plu_buffer, const std::string& quantity_buffer) {
  ReceivedOrder order;
  order.terminal = terminal;
  order.table = table;
  order.count = count;
  int lines = std::clamp(count, 0, kOrderFieldCount);
  for (int i = 0; i < lines; ++i) {
    order.plu.push_back(FieldValue(plu_buffer, i));
    order.quantity.push_back(FieldValue(quantity_buffer, i));
  }
  return order;
}

std::vector<std::string> OrderDisplayLines(const MenuDocument& doc, const ReceivedOrder& order) {
  std::vector<std::string> lines = {kOrderHeader};
  for (size_t i = 0; i < order.plu.size() && i < order.quantity.size(); ++i) {
    int32_t plu = order.plu[i];
    std::string description = plu > 0 ? DescriptionOfPlu(doc, plu) : std::string();
    std::string first = plu > 0 && !Trim(description).empty() ? description : DecimalText(plu);
    lines.push_back(Column(first) + DecimalText(order.quantity[i]));
  }
  // The buffers hold 64 lines: the rest of a longer order is at least counted, never silently dropped.
  if (order.count > static_cast<int32_t>(order.plu.size())) {
    int32_t more = order.count - static_cast<int32_t>(order.plu.size());
    lines.push_back("... " + DecimalText(more) + (more == 1 ? " more line" : " more lines") + " not shown");
  }
  return lines;
}

std::string OrderColumnsHeader() {
  return Column("PLU") + "QTY";
}

std::string OrderDisplayText(const MenuDocument& doc, const ReceivedOrder& order) {
  std::string text;
  for (const std::string& line : OrderDisplayLines(doc, order)) text += line + "\r\n";
  return text;
}

}  // namespace tabulo
