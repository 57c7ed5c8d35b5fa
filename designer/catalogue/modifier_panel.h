#pragma once
// The modifier panel of the main window (`Frame2`): the PLUs with modifiers (`List1`), the levels of the
// selected one (`Lista_def_complementos`), the members of a definition with their default check boxes
// (`Lista_Complementos`), every definition (`Lista_Todos_Def_Comp`), the minimum, maximum and mandatory flag
// of the selected level (`Frame1`) and the buttons `Command1` .. `Command8`. The rules are those of
// modifier_edits.h; the panel turns clicks into their calls and redraws from the document. It holds no state
// beyond its two flags and the selections of its lists.

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "designer/catalogue/modifier_edits.h"

namespace tabulo {

class CataloguePanel;

class ModifierPanel : public QFrame {
  Q_OBJECT

 public:
  // Follows the selection of `catalogue`'s PLU list, from which it also takes the PLUs it adds.
  ModifierPanel(MenuDocument& doc, UserPrompts& prompts, CataloguePanel& catalogue, QWidget* parent);

  QListWidget* List1 = nullptr;                   // "Plus with modifiers"
  QListWidget* Lista_def_complementos = nullptr;  // "Modifiers Definition": levels of the selected record
  QListWidget* Lista_Complementos = nullptr;      // "Modifiers": members, checked = default choice
  QListWidget* Lista_Todos_Def_Comp = nullptr;    // "All Modifiers"
  QFrame* Frame1 = nullptr;                       // shown only while a level is selected
  QLineEdit* minimo = nullptr;
  QLineEdit* maximo = nullptr;
  QCheckBox* obrigatorio = nullptr;  // "Mandatory": a choice at the selected level must be made
  QPushButton* Command1 = nullptr;   // add the catalogue's PLU to the selected definition
  QPushButton* Command2 = nullptr;   // remove the selected member
  QPushButton* Command3 = nullptr;   // give the catalogue's PLU a modifier record
  QPushButton* Command4 = nullptr;   // remove the selected record
  QPushButton* Command5 = nullptr;   // new definition
  QPushButton* Command6 = nullptr;   // "Delete" the selected definition
  QPushButton* Command7 = nullptr;   // remove the selected level
  QPushButton* Command8 = nullptr;   // add the selected definition as a level

  // True from the designer's load on: a click in the catalogue list brings the panel to the clicked PLU.
  bool SyncModifierPanel = false;
  // False while the member list is being refilled: check boxes set then are the document's, not the user's.
  bool MemberClicksEnabled = true;

  // The panel's part of Refresh_Page: records and definitions listed again, nothing selected.
  void Fill();
  // File > New: every list emptied.
  void Clear();
  // A PLU renamed live: the record rows show the records' names again.
  void RelabelRecords();
  // The line grid's entry: the member list emptied, and level 0 of the shown record selected if it has one.
  void ClearMembers();
  void SelectFirstLevel();

 signals:
  void RefreshRequested();  // the lists and the page must be drawn again (Refresh_Page)

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Lista_plus_Click(int row);
  void List1_Click();
  void Lista_def_complementos_Click();
  void Lista_Todos_Def_Comp_Click();
  void Lista_Complementos_ItemCheck(QListWidgetItem* item);
  void minimo_Change();
  void maximo_Change();
  void obrigatorio_Click();
  void Command1_Click();
  void Command2_Click();
  ModifierEdit Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void Command8_Click();

  void ShowRecords();
  void ShowDefinitions();
  void ShowMembers(const std::string& name, int record, int level);
  void ShowLevel(bool shown);
  // Selects a row as the user would, running the list's click handler once.
  void SelectRecord(int row);
  void SelectLevel(int row);
  static std::string TextOf(const QListWidget* list);  // text of the selected row, "" when none

  MenuDocument& doc_;
  UserPrompts& prompts_;
  CataloguePanel& catalogue_;
};

}  // namespace tabulo
