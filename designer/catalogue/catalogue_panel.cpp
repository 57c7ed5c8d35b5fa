#include "designer/catalogue/catalogue_panel.h"

#include <QKeyEvent>

#include "designer/pages/page_grid_widget.h"

namespace tabulo {
namespace {

template <class W>
W* Named(W* widget, const char* name, const TwipsRect& rect) {
  widget->setObjectName(name);
  PlaceAt(widget, rect);
  return widget;
}

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

CataloguePanel::CataloguePanel(MenuDocument& doc, UserPrompts& prompts, QWidget* parent)
    : QFrame(parent), doc_(doc), prompts_(prompts) {
  setObjectName("Frame3");
  setFrameShape(QFrame::StyledPanel);
  Check1 = Named(new QCheckBox("Only Defined plus", this), "Check1", {120, 120, 3960, 285});
  Text1 = Named(new QLineEdit(this), "Text1", {120, 480, 3960, 315});
  Command10 = Named(new QPushButton("FILTER", this), "Command10", {120, 900, 1260, 375});
  Command11 = Named(new QPushButton("FIND", this), "Command11", {1470, 900, 1260, 375});
  Command16 = Named(new QPushButton("Add", this), "Command16", {2820, 900, 1260, 375});
  Lista_plus = Named(new QListWidget(this), "Lista_plus", {120, 1380, 3960, 7380});
  Lista_plus->setUniformItemSizes(true);
  Command9 = Named(new QPushButton("Delete", this), "Command9", {120, 8880, 1260, 375});

  connect(Check1, &QCheckBox::clicked, this, &CataloguePanel::RefreshRequested);
  connect(Text1, &QLineEdit::textChanged, this, [this] { list_.SearchTextChanged(); });
  connect(Text1, &QLineEdit::returnPressed, this, &CataloguePanel::Command10_Click);
  connect(Command10, &QPushButton::clicked, this, &CataloguePanel::Command10_Click);
  connect(Command11, &QPushButton::clicked, this, &CataloguePanel::Command11_Click);
  connect(Command16, &QPushButton::clicked, this, &CataloguePanel::Command16_Click);
  connect(Command9, &QPushButton::clicked, this, &CataloguePanel::Command9_Click);
  connect(Lista_plus, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!showing_) list_.Select(row);
  });
  connect(Lista_plus, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { emit RowClicked(Lista_plus->row(item)); });
  connect(Lista_plus, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit RowActivated(Lista_plus->row(item)); });
  Lista_plus->installEventFilter(this);
}

bool CataloguePanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Lista_plus && IsEnter(event)) {
    if (list_.Selected() >= 0) emit RowActivated(list_.Selected());
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

void CataloguePanel::ShowRows() {
  showing_ = true;
  Lista_plus->clear();
  for (const CatalogueRow& row : list_.Rows()) {
    auto* item = new QListWidgetItem(QString::fromStdString(row.text));
    item->setData(Qt::UserRole, row.plu);
    Lista_plus->addItem(item);
  }
  showing_ = false;
  ShowSelection();
}

void CataloguePanel::ShowSelection() {
  showing_ = true;
  Lista_plus->setCurrentRow(list_.Selected());
  showing_ = false;
}

void CataloguePanel::Fill() {
  list_.Fill(doc_, Check1->isChecked());
  ShowRows();
}

void CataloguePanel::Clear() {
  list_ = CatalogueList();
  ShowRows();
}

void CataloguePanel::SelectRow(int row) {
  list_.Select(row);
  ShowSelection();
  if (list_.Selected() >= 0) emit RowClicked(list_.Selected());
}

int CataloguePanel::RowWithText(const QString& text) const {
  const std::string wanted = text.toStdString();
  const auto& rows = list_.Rows();
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    if (rows[row].text == wanted) return row;
  }
  return -1;
}

bool CataloguePanel::StepSelection() {
  bool moved = list_.StepSelection();
  if (moved) ShowSelection();
  return moved;
}

void CataloguePanel::Relabel(int32_t plu, const QString& text) {
  for (int row : list_.Relabel(plu, text.toStdString())) {
    if (QListWidgetItem* item = Lista_plus->item(row)) item->setText(text);
  }
}

void CataloguePanel::Command10_Click() {
  list_.Filter(doc_, Text1->text().toStdString());
  ShowRows();
}

void CataloguePanel::Command11_Click() {
  if (list_.Find(Text1->text().toStdString())) ShowSelection();
}

void CataloguePanel::Command16_Click() {
  if (AddPlu(doc_, Text1->text().toStdString(), prompts_) != AddPluOutcome::kAdded) return;
  Text1->clear();
  emit RefreshRequested();
}

void CataloguePanel::Command9_Click() {
  int row = list_.Selected();
  if (!list_.DeleteSelected(doc_)) return;
  showing_ = true;
  delete Lista_plus->takeItem(row);
  showing_ = false;
  ShowSelection();
}

}  // namespace tabulo
