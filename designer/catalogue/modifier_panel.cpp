#include "designer/catalogue/modifier_panel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>

#include "designer/catalogue/catalogue_panel.h"
#include "designer/document/numbers.h"
#include "designer/pages/page_grid_widget.h"
#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

QListWidget* LabelledList(QWidget* parent, const char* name, const char* caption, const TwipsRect& rect) {
  auto* label = new QLabel(Q(caption), parent);
  PlaceAt(label, {rect.left, rect.top - 300, rect.width, 285});
  return Placed(Named(new QListWidget(parent), name), rect);
}

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

ModifierPanel::ModifierPanel(MenuDocument& doc, UserPrompts& prompts, CataloguePanel& catalogue,
                             QWidget* parent)
    : QFrame(parent), doc_(doc), prompts_(prompts), catalogue_(catalogue) {
  setObjectName("Frame2");
  List1 = LabelledList(this, "List1", "Plus with modifiers", {120, 420, 3780, 3300});
  Lista_def_complementos =
      LabelledList(this, "Lista_def_complementos", "Modifiers Definition", {4020, 420, 3780, 3300});
  // The two "Add PLU" buttons say what they do with the PLU selected in the catalogue.
  Command3 = Placed(Named(new QPushButton("Add PLU to list", this), "Command3"), {120, 3780, 1830, 375});
  Command3->setToolTip("Gives the PLU selected in the catalogue modifiers: it joins \"Plus with modifiers\"");
  Command4 = Placed(Named(new QPushButton("Remove PLU", this), "Command4"), {2070, 3780, 1830, 375});
  Command8 = Placed(Named(new QPushButton("Add level", this), "Command8"), {4020, 3780, 1830, 375});
  Command7 = Placed(Named(new QPushButton("Remove level", this), "Command7"), {5970, 3780, 1830, 375});

  Lista_Complementos = LabelledList(this, "Lista_Complementos", "Modifiers", {120, 4740, 3780, 3300});
  Lista_Todos_Def_Comp =
      LabelledList(this, "Lista_Todos_Def_Comp", "All Modifiers", {4020, 4740, 3780, 3300});
  Command1 = Placed(Named(new QPushButton("Add as choice", this), "Command1"), {120, 8100, 1830, 375});
  Command1->setToolTip(
      "Adds the PLU selected in the catalogue to the selected definition as one of its choices");
  Command2 = Placed(Named(new QPushButton("Remove", this), "Command2"), {2070, 8100, 1830, 375});
  Command5 = Placed(Named(new QPushButton("New", this), "Command5"), {4020, 8100, 1830, 375});
  Command6 = Placed(Named(new QPushButton("Delete", this), "Command6"), {5970, 8100, 1830, 375});

  Frame1 = Placed(Named(new QFrame(this), "Frame1"), {120, 8580, 7680, 1260});
  Frame1->setFrameShape(QFrame::StyledPanel);
  PlaceAt(new QLabel("Minimum", Frame1), {120, 120, 1800, 285});
  minimo = Placed(Named(new QLineEdit(Frame1), "minimo"), {120, 480, 1800, 315});
  PlaceAt(new QLabel("Maximum", Frame1), {2160, 120, 1800, 285});
  maximo = Placed(Named(new QLineEdit(Frame1), "maximo"), {2160, 480, 1800, 315});
  obrigatorio = Placed(Named(new QCheckBox("Mandatory", Frame1), "obrigatorio"), {4200, 480, 3000, 315});
  Frame1->hide();

  // A click runs a list's handler like a change of its row does, so that clicking the selected row again
  // shows it again; a handler only rebuilds lists, so running twice for one click does no harm.
  auto on_select = [this](QListWidget* list, void (ModifierPanel::*handler)()) {
    connect(list, &QListWidget::currentRowChanged, this, handler);
    connect(list, &QListWidget::itemClicked, this, handler);
  };
  on_select(List1, &ModifierPanel::List1_Click);
  on_select(Lista_def_complementos, &ModifierPanel::Lista_def_complementos_Click);
  on_select(Lista_Todos_Def_Comp, &ModifierPanel::Lista_Todos_Def_Comp_Click);
  connect(Lista_Complementos, &QListWidget::itemChanged, this, &ModifierPanel::Lista_Complementos_ItemCheck);
  connect(minimo, &QLineEdit::textChanged, this, &ModifierPanel::minimo_Change);
  connect(maximo, &QLineEdit::textChanged, this, &ModifierPanel::maximo_Change);
  connect(obrigatorio, &QCheckBox::clicked, this, &ModifierPanel::obrigatorio_Click);
  connect(Command1, &QPushButton::clicked, this, &ModifierPanel::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &ModifierPanel::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, &ModifierPanel::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &ModifierPanel::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &ModifierPanel::Command6_Click);
  connect(Command7, &QPushButton::clicked, this, &ModifierPanel::Command7_Click);
  connect(Command8, &QPushButton::clicked, this, &ModifierPanel::Command8_Click);
  connect(&catalogue_, &CataloguePanel::RowClicked, this, &ModifierPanel::Lista_plus_Click);
  Lista_Todos_Def_Comp->installEventFilter(this);
}

bool ModifierPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Lista_Todos_Def_Comp && IsEnter(event)) {
    Command8_Click();
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

std::string ModifierPanel::TextOf(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item ? item->text().toStdString() : std::string();
}

// ---- Filling ----

void ModifierPanel::ShowRecords() {
  QSignalBlocker blocker(List1);
  List1->clear();
  for (int i = 0; i < std::min(doc_.NumModifiers, kMaxModifiers); ++i)
    List1->addItem(Q(doc_.Modifiers[i].Name));
}

void ModifierPanel::ShowDefinitions() {
  QSignalBlocker blocker(Lista_Todos_Def_Comp);
  Lista_Todos_Def_Comp->clear();
  for (int i = 0; i < std::min(doc_.NumModifierDefs, kMaxModifierDefs); ++i) {
    Lista_Todos_Def_Comp->addItem(Q(doc_.ModifierDefs[i].Name));
  }
}

// The members a level named `name` offers, checked as level `level` of record `record` chooses them by
// default (no record: nothing checked). A row's check and the default bit it stores are the same bit, also
// when two definitions share the name and show as one list.
void ModifierPanel::ShowMembers(const std::string& name, int record, int level) {
  MemberClicksEnabled = false;
  Lista_Complementos->clear();
  const int32_t mask = record >= 0 ? doc_.Modifiers[record].Default[level] : 0;
  const std::vector<MemberRow> rows = LevelMembers(doc_, name);
  for (int j = 0; j < static_cast<int>(rows.size()); ++j) {
    const ModifierDefRecord& def = doc_.ModifierDefs[rows[j].def];
    auto* item = new QListWidgetItem(Q(def.PluDesc[rows[j].pos]));
    item->setData(Qt::UserRole, def.PluCode[rows[j].pos]);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(record >= 0 && IsDefaultChoice(mask, j) ? Qt::Checked : Qt::Unchecked);
    Lista_Complementos->addItem(item);
  }
  MemberClicksEnabled = true;
}

void ModifierPanel::ShowLevel(bool shown) {
  Frame1->setVisible(shown);
}

void ModifierPanel::Fill() {
  MemberClicksEnabled = true;
  ShowRecords();
  ShowDefinitions();
  // Nothing is selected after a refill, so no level or member list belongs to a selection any more.
  {
    QSignalBlocker blocker(Lista_def_complementos);
    Lista_def_complementos->clear();
  }
  ClearMembers();
  ShowLevel(false);
}

void ModifierPanel::Clear() {
  for (QListWidget* list : {List1, Lista_def_complementos, Lista_Todos_Def_Comp}) {
    QSignalBlocker blocker(list);
    list->clear();
  }
  ClearMembers();
  ShowLevel(false);
}

void ModifierPanel::ClearMembers() {
  MemberClicksEnabled = false;
  Lista_Complementos->clear();
  MemberClicksEnabled = true;
}

void ModifierPanel::RelabelRecords() {
  for (int j = 0; j < List1->count() && j < doc_.NumModifiers; ++j) {
    List1->item(j)->setText(Q(doc_.Modifiers[j].Name));
  }
}

void ModifierPanel::SelectFirstLevel() {
  if (Lista_def_complementos->count() > 0) SelectLevel(0);
}

void ModifierPanel::SelectRecord(int row) {
  {
    QSignalBlocker blocker(List1);
    List1->setCurrentRow(row);
  }
  List1_Click();
}

void ModifierPanel::SelectLevel(int row) {
  {
    QSignalBlocker blocker(Lista_def_complementos);
    Lista_def_complementos->setCurrentRow(row);
  }
  Lista_def_complementos_Click();
}

// ---- Selections ----

void ModifierPanel::Lista_plus_Click(int row) {
  if (!SyncModifierPanel) return;
  const auto& rows = catalogue_.List().Rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  {
    QSignalBlocker levels(Lista_def_complementos);
    Lista_def_complementos->clear();
    QSignalBlocker records(List1);
    List1->setCurrentRow(-1);
  }
  ShowLevel(false);
  const QString text = Q(rows[row].text);
  for (int j = 0; j < List1->count(); ++j) {
    if (List1->item(j)->text() == text) SelectRecord(j);
  }
  ClearMembers();
  SelectFirstLevel();
}

void ModifierPanel::List1_Click() {
  const int r = List1->currentRow();
  if (r < 0) return;
  {
    QSignalBlocker levels(Lista_def_complementos);
    Lista_def_complementos->clear();
    const ModifierRecord& record = doc_.Modifiers[r];
    for (int k = 0; k < std::min(record.NumLevels, kMaxLevels); ++k) {
      Lista_def_complementos->addItem(Q(record.LevelName[k]));
    }
  }
  ClearMembers();
  ShowLevel(false);
  QSignalBlocker min_blocker(minimo);
  QSignalBlocker max_blocker(maximo);
  minimo->setText("0");
  maximo->setText("0");
}

void ModifierPanel::Lista_def_complementos_Click() {
  const int d = Lista_def_complementos->currentRow();
  const int r = List1->currentRow();
  if (d < 0) return;
  if (r >= 0) {
    ShowLevel(true);
    {
      QSignalBlocker blocker(Lista_Todos_Def_Comp);
      Lista_Todos_Def_Comp->setCurrentRow(-1);
    }
    // Showing the stored values must not store them again.
    QSignalBlocker min_blocker(minimo);
    QSignalBlocker max_blocker(maximo);
    minimo->setText(QString::number(doc_.Modifiers[r].Minimo[d]));
    maximo->setText(QString::number(doc_.Modifiers[r].Maximo[d]));
    obrigatorio->setChecked(doc_.Modifiers[r].Obrigatorio[d] == 1);
  }
  ShowMembers(TextOf(Lista_def_complementos), r, d);
}

void ModifierPanel::Lista_Todos_Def_Comp_Click() {
  if (Lista_Todos_Def_Comp->currentRow() < 0) return;
  ShowLevel(false);
  {
    QSignalBlocker blocker(Lista_def_complementos);
    Lista_def_complementos->setCurrentRow(-1);
  }
  ShowMembers(TextOf(Lista_Todos_Def_Comp), -1, 0);
}

// A check box changed: with no level selected nothing can be a default, and a level takes at most its
// maximum. What stays checked is the level's default mask.
void ModifierPanel::Lista_Complementos_ItemCheck(QListWidgetItem* item) {
  if (!MemberClicksEnabled) return;
  const int n = Lista_Complementos->row(item);
  if (item->checkState() == Qt::Checked) {
    int checked = 0;
    for (int j = 0; j < Lista_Complementos->count(); ++j) {
      if (Lista_Complementos->item(j)->checkState() == Qt::Checked) ++checked;
    }
    if (Frame1->isHidden() || !MayBeDefaultChoice(n, checked, NumericValue(maximo->text().toStdString()))) {
      QSignalBlocker blocker(Lista_Complementos);
      item->setCheckState(Qt::Unchecked);
    }
  }
  const int r = List1->currentRow();
  const int d = Lista_def_complementos->currentRow();
  if (r < 0 || d < 0) return;
  std::vector<bool> checked(Lista_Complementos->count());
  for (int j = 0; j < Lista_Complementos->count(); ++j) {
    checked[j] = Lista_Complementos->item(j)->checkState() == Qt::Checked;
  }
  SetDefault(doc_, r, d, DefaultMask(checked));
}

void ModifierPanel::minimo_Change() {
  const int r = List1->currentRow();
  const int d = Lista_def_complementos->currentRow();
  if (r >= 0 && d >= 0) SetMinimo(doc_, r, d, IntegerPart(minimo->text().toStdString()));
}

void ModifierPanel::maximo_Change() {
  const int r = List1->currentRow();
  const int d = Lista_def_complementos->currentRow();
  if (r >= 0 && d >= 0) SetMaximo(doc_, r, d, IntegerPart(maximo->text().toStdString()));
}

void ModifierPanel::obrigatorio_Click() {
  const int r = List1->currentRow();
  const int d = Lista_def_complementos->currentRow();
  if (r >= 0 && d >= 0) SetObrigatorio(doc_, r, d, obrigatorio->isChecked());
}

// ---- Buttons ----

void ModifierPanel::Command1_Click() {
  const CatalogueList& list = catalogue_.List();
  // Without a catalogue selection there is no PLU to add (it would add a nameless member numbered 0).
  if (list.Selected() < 0) return;
  const CatalogueRow plu = list.Rows()[list.Selected()];
  if (Lista_def_complementos->currentRow() >= 0) {
    if (AddMember(doc_, TextOf(Lista_def_complementos), plu.plu, plu.text, prompts_) == ModifierEdit::kFull) {
      return;
    }
    Lista_def_complementos_Click();
  }
  if (Lista_Todos_Def_Comp->currentRow() >= 0) {
    if (AddMember(doc_, TextOf(Lista_Todos_Def_Comp), plu.plu, plu.text, prompts_) == ModifierEdit::kFull) {
      return;
    }
    Lista_Todos_Def_Comp_Click();
  }
  // Repeated clicks add consecutive catalogue PLUs.
  SyncModifierPanel = false;
  catalogue_.StepSelection();
  SyncModifierPanel = true;
}

void ModifierPanel::Command2_Click() {
  // Without a selected member nothing is removed (else every member without a description would go).
  if (Lista_Complementos->currentRow() < 0) return;
  const std::string member = TextOf(Lista_Complementos);
  if (Lista_def_complementos->currentRow() >= 0) {
    RemoveMembers(doc_, TextOf(Lista_def_complementos), member);
    Lista_def_complementos_Click();
  } else if (Lista_Todos_Def_Comp->currentRow() >= 0) {
    RemoveMembers(doc_, TextOf(Lista_Todos_Def_Comp), member);
    Lista_Todos_Def_Comp_Click();
  }
}

ModifierEdit ModifierPanel::Command3_Click() {
  const CatalogueList& list = catalogue_.List();
  const std::string text = list.Selected() >= 0 ? list.Rows()[list.Selected()].text : std::string();
  ModifierEdit edit = GiveModifierRecord(doc_, text, prompts_);
  if (edit == ModifierEdit::kDone) {
    ShowRecords();
    SelectRecord(List1->count() - 1);
  }
  return edit;
}

void ModifierPanel::Command4_Click() {
  if (List1->currentRow() < 0) return;
  RemoveModifierRecords(doc_, TextOf(List1));
  ShowRecords();
  QSignalBlocker blocker(Lista_def_complementos);
  Lista_def_complementos->clear();
  ClearMembers();
  ShowLevel(false);
}

void ModifierPanel::Command5_Click() {
  if (CreateModifierDef(doc_, prompts_) == ModifierEdit::kDone) emit RefreshRequested();
}

void ModifierPanel::Command6_Click() {
  if (Lista_Todos_Def_Comp->currentRow() < 0) return;
  if (DeleteModifierDefs(doc_, TextOf(Lista_Todos_Def_Comp)) > 0) emit RefreshRequested();
}

void ModifierPanel::Command7_Click() {
  if (List1->currentRow() < 0 || Lista_def_complementos->currentRow() < 0) return;
  RemoveLevels(doc_, TextOf(List1), TextOf(Lista_def_complementos));
  List1_Click();
}

void ModifierPanel::Command8_Click() {
  // A PLU whose record the full table refused must not have the level added to another PLU's record.
  if (Command3_Click() == ModifierEdit::kFull) return;
  if (List1->currentRow() < 0) return;
  // Without a selected definition there is nothing to add (it would add a level naming nothing).
  if (Lista_Todos_Def_Comp->currentRow() < 0) return;
  const int record = FindModifierRecord(doc_, TextOf(List1));
  if (AddLevel(doc_, record, TextOf(Lista_Todos_Def_Comp), prompts_) != ModifierEdit::kDone) return;
  List1_Click();
  SelectLevel(Lista_def_complementos->count() - 1);
}

}  // namespace tabulo
