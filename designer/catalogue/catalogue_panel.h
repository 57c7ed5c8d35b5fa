#pragma once
// The catalogue panel (`Frame3`): the PLU list `Lista_plus`, "Only Defined plus", the search box `Text1`,
// FILTER, FIND, add and "Delete". The rules are CatalogueList's and AddPlu's; the panel shows their rows.

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "designer/catalogue/catalogue_list.h"

namespace tabulo {

class CataloguePanel : public QFrame {
  Q_OBJECT

 public:
  CataloguePanel(MenuDocument& doc, UserPrompts& prompts, QWidget* parent);

  QListWidget* Lista_plus = nullptr;
  QCheckBox* Check1 = nullptr;
  QLineEdit* Text1 = nullptr;
  QPushButton* Command10 = nullptr;  // "FILTER"
  QPushButton* Command11 = nullptr;  // "FIND"
  QPushButton* Command16 = nullptr;  // add
  QPushButton* Command9 = nullptr;   // "Delete"

  const CatalogueList& List() const { return list_; }
  // The catalogue part of Refresh_Page.
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

 signals:
  void RefreshRequested();     // the list and the page must be drawn again (Refresh_Page)
  void RowClicked(int row);    // a row was selected by the user or by the page grid
  void RowActivated(int row);  // double click or Enter on a row

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowRows();
  void ShowSelection();
  void Command10_Click();
  void Command11_Click();
  void Command16_Click();
  void Command9_Click();

  MenuDocument& doc_;
  UserPrompts& prompts_;
  CatalogueList list_;
  bool showing_ = false;
};

}  // namespace tabulo
