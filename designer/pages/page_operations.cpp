#include "designer/pages/page_operations.h"

namespace tabulo {

void CopySlot(MenuDocument& doc, int from, int to) {
  doc.LineLayout[to] = doc.LineLayout[from];
  doc.Botoes[to] = doc.Botoes[from];
  for (int col = 1; col <= kLanguages; ++col) {
    doc.Lang(kLangRowLineText + to, col) = doc.Lang(kLangRowLineText + from, col);
    doc.Lang(kLangRowTitleText + to, col) = doc.Lang(kLangRowTitleText + from, col);
  }
}

namespace {

constexpr int kLastShiftedSlot = kPageSlots - kLinesPerPage;  // 312, the first slot of page 14

void CopyPage(MenuDocument& doc, int from, int to) {
  doc.PagePictureA[to] = doc.PagePictureA[from];
  doc.PagePictureB[to] = doc.PagePictureB[from];
  doc.PageColorA[to] = doc.PageColorA[from];
  doc.PageColorB[to] = doc.PageColorB[from];
}

void ClearPageSettings(MenuDocument& doc, int page) {
  doc.PagePictureA[page].clear();
  doc.PagePictureB[page].clear();
  doc.PageColorA[page].clear();
  doc.PageColorB[page].clear();
}

bool ValidPage(int page) {
  return page >= 1 && page <= kPages;
}

}  // namespace

int PreviousPage(int page) {
  return page > 1 ? page - 1 : page;
}
int NextPage(int page) {
  return page < kPages ? page + 1 : page;
}

void ClearSlot(MenuDocument& doc, int slot) {
  LineLayoutRecord& line = doc.LineLayout[slot];
  line.Kind = kKindUnset;
  line.TitleMark = 0;
  line.LineBackColor.clear();
  line.LineForeColor.clear();
  line.TitleText.clear();
  line.TitleBackColor.clear();
  line.TitlePicture.clear();
  doc.Botoes[slot] = 0;
  for (int col = 1; col <= kLanguages; ++col) {
    doc.Lang(kLangRowLineText + slot, col).clear();
    doc.Lang(kLangRowTitleText + slot, col).clear();
  }
}

void InsertPage(MenuDocument& doc, int page) {
  if (!ValidPage(page)) return;
  // From the top down, so that nothing is overwritten before it is copied; the former page 14 falls off
  // (its first slot lands in the spare slot 336).
  for (int i = kLastShiftedSlot; i >= SlotOf(page, 0); --i) CopySlot(doc, i, i + kLinesPerPage);
  for (int j = kPages - 1; j >= page; --j) CopyPage(doc, j, j + 1);
  ClearPageSettings(doc, page);
  for (int k = 0; k < kLinesPerPage; ++k) ClearSlot(doc, SlotOf(page, k));
}

void DeletePage(MenuDocument& doc, int page) {
  if (!ValidPage(page)) return;
  for (int i = SlotOf(page, 0); i <= kLastShiftedSlot; ++i) CopySlot(doc, i + kLinesPerPage, i);
  for (int j = page; j <= kPages - 1; ++j) CopyPage(doc, j + 1, j);
  ClearPageSettings(doc, kPages);
  for (int s = kLastShiftedSlot; s < kPageSlots; ++s) ClearSlot(doc, s);
}

}  // namespace tabulo
