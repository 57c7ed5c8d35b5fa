#pragma once
// The catalogue panel (`Frame3`): the PLU table `Lista_plus` (number, description and price, sorted by a
// click on a column's header, numbers used twice marked), "Only Defined plus", the search box `Text1`
// (searched as the user types), FILTER, FIND, add and "Delete". A row dragged onto a page line is given to
// it as "<-" gives it. The rules are CatalogueList's and AddPlu's; the panel shows their rows.

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "designer/catalogue/catalogue_list.h"

namespace tabulo {

class CatalogueTableModel;

class CataloguePanel : public QFrame {
  Q_OBJECT

 public:
  CataloguePanel(MenuDocument& doc, UserPrompts& prompts, QWidget* parent);

  // The columns of `Lista_plus`; Qt::UserRole of every cell is the row's PLU number.
  static constexpr int kNumberColumn = 0;
  static constexpr int kDescriptionColumn = 1;
  static constexpr int kPriceColumn = 2;
  // What a row dragged out of `Lista_plus` carries: its row index as decimal text.
  static constexpr const char* kRowMimeType = "application/x-tabulo-catalogue-row";

  QTableView* Lista_plus = nullptr;
  QCheckBox* Check1 = nullptr;
  QLineEdit* Text1 = nullptr;
  QPushButton* Command10 = nullptr;  // "FILTER"
  QPushButton* Command11 = nullptr;  // "FIND"
  QPushButton* Command16 = nullptr;  // add
  QPushButton* Command9 = nullptr;   // "Delete"

  const CatalogueList& List() const { return list_; }
  // The catalogue part of Refresh_Page: the list drawn again from the document, the search text and the
  // sort order kept. Whatever changes the catalogue calls this.
  void Fill();
  void Clear();
  // Selects a row as a click on it does (the modifier panel follows).
  void SelectRow(int row);
  // The row of the first entry whose text is exactly `text`; -1 when none.
  int RowWithText(const QString& text) const;
  // "<-" moved on: the selection steps one row down. True when it moved.
  bool StepSelection();
  // Live rename: the rows of PLU `plu` show `text`.
  void Relabel(int32_t plu, const QString& text);
  // For the page lines' event filter: a row of this list dragged over a line is accepted, and on its drop
  // the row is selected. True for each such event, which the line must then not handle itself; on the drop
  // the caller goes on as "<-" of that line does.
  bool TakeRowDrag(QEvent* event);

 signals:
  void RefreshRequested();     // the list and the page must be drawn again (Refresh_Page)
  void RowClicked(int row);    // a row was selected by the user or by the page grid
  void RowActivated(int row);  // double click or Enter on a row

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowRows();
  void ShowSelection();
  void Search();
  void Command10_Click();
  void Command11_Click();
  void Command16_Click();
  void Command9_Click();

  MenuDocument& doc_;
  UserPrompts& prompts_;
  CatalogueList list_;
  CatalogueTableModel* model_ = nullptr;
  bool showing_ = false;
};

}  // namespace tabulo
