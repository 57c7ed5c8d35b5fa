#pragma once
// Orders received from the terminals: the decoding of what menu_receive fills in, and the lines the
// reception window and `tabulo receive` show for it.

#include <cstdint>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"

namespace tabulo {

inline constexpr int kOrderFieldCount = 64;  // the buffers hold 64 fields of 8 characters
inline constexpr int kOrderFieldWidth = 8;
inline constexpr const char* kOrderHeader = "PLU                  QTY";

struct ReceivedOrder {
  int32_t terminal = 0;
  int32_t table = 0;
  int32_t count = 0;  // the line count as received, which may exceed the lines the buffers could hold
  std::vector<int32_t> plu;
  std::vector<int32_t> quantity;
};

// The order of one menu_receive. Only the first 64 lines fit in the buffers, so a larger count yields 64
// lines; a negative count yields none.
ReceivedOrder DecodeReceivedOrder(int32_t terminal, int32_t count, int32_t table,
                                  const std::string& plu_buffer, const std::string& quantity_buffer);

// The header, then one line per order line: the PLU's description padded to 30 characters (the number
// when the catalogue has no description for it), then the quantity. A description longer than 30
// characters is shown whole, followed by one space. An order of more lines than the buffers hold ends with
// a line that says how many more it has.
std::vector<std::string> OrderDisplayLines(const MenuDocument& doc, const ReceivedOrder& order);
// The header as the reception window shows it: "QTY" above the quantities of the lines under it.
std::string OrderColumnsHeader();
// The lines joined, every line followed by CR LF.
std::string OrderDisplayText(const MenuDocument& doc, const ReceivedOrder& order);

}  // namespace tabulo
