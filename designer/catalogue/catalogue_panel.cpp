#include "designer/catalogue/catalogue_panel.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>

#include "designer/pages/page_grid_widget.h"
#include "designer/pages/widget_helpers.h"

namespace tabulo {

// The rows of a CatalogueList as table cells. It holds nothing of its own: the panel resets it whenever the
// list's rows change.
class CatalogueTableModel : public QAbstractTableModel {
 public:
  CatalogueTableModel(const CatalogueList& list, QObject* parent)
      : QAbstractTableModel(parent), list_(list) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(list_.Rows().size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount({})) return {};
    const CatalogueRow& row = list_.Rows()[index.row()];
    switch (role) {
      case Qt::DisplayRole:
        if (index.column() == CataloguePanel::kNumberColumn) return row.plu;
        if (index.column() == CataloguePanel::kPriceColumn) return QString::fromStdString(row.price);
        return QString::fromStdString(row.text);
      case Qt::UserRole:
        return row.plu;
      case Qt::TextAlignmentRole:
        if (index.column() == CataloguePanel::kDescriptionColumn) return {};
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      case Qt::BackgroundRole:
        return row.duplicate ? QVariant(QColor(255, 205, 150)) : QVariant();
      case Qt::ToolTipRole:
        if (!row.duplicate) return {};
        return QString(
                   "PLU number %1 is used by more than one catalogue entry: the terminals know only one "
                   "of them.")
            .arg(row.plu);
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::InitialSortOrderRole) return static_cast<int>(Qt::AscendingOrder);
    if (role != Qt::DisplayRole) return {};
    if (section == CataloguePanel::kNumberColumn) return QString("PLU");
    if (section == CataloguePanel::kPriceColumn) return QString("Price");
    return QString("Description");
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
  }
  QStringList mimeTypes() const override { return {Q(CataloguePanel::kRowMimeType)}; }
  QMimeData* mimeData(const QModelIndexList& indexes) const override {
    if (indexes.isEmpty()) return nullptr;
    auto* mime = new QMimeData;
    mime->setData(Q(CataloguePanel::kRowMimeType), QByteArray::number(indexes.first().row()));
    return mime;
  }

  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount({}) - 1)); }

 private:
  const CatalogueList& list_;
};

namespace {

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The row a drag event carries, when it carries one of the catalogue's rows.
std::optional<int> DraggedRow(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return std::nullopt;
  const QMimeData* mime = static_cast<QDropEvent*>(event)->mimeData();
  if (!mime || !mime->hasFormat(Q(CataloguePanel::kRowMimeType))) return std::nullopt;
  bool ok = false;
  int row = mime->data(Q(CataloguePanel::kRowMimeType)).toInt(&ok);
  return ok ? std::optional<int>(row) : std::nullopt;
}

}  // namespace

CataloguePanel::CataloguePanel(MenuDocument& doc, UserPrompts& prompts, QWidget* parent)
    : QFrame(parent), doc_(doc), prompts_(prompts) {
  setObjectName("Frame3");
  setFrameShape(QFrame::StyledPanel);
  Check1 = Placed(Named(new QCheckBox("Only Defined plus", this), "Check1"), {120, 120, 3960, 285});
  Text1 = Placed(Named(new QLineEdit(this), "Text1"), {120, 480, 3960, 315});
  Command10 = Placed(Named(new QPushButton("FILTER", this), "Command10"), {120, 900, 1260, 375});
  Command11 = Placed(Named(new QPushButton("FIND", this), "Command11"), {1470, 900, 1260, 375});
  Command16 = Placed(Named(new QPushButton("Add", this), "Command16"), {2820, 900, 1260, 375});
  Lista_plus = Placed(Named(new QTableView(this), "Lista_plus"), {120, 1380, 3960, 7380});
  Command9 = Placed(Named(new QPushButton("Delete", this), "Command9"), {120, 8880, 1260, 375});

  Text1->setPlaceholderText("Search, or the description of a new PLU");
  Text1->setClearButtonEnabled(true);
  model_ = new CatalogueTableModel(list_, this);
  Lista_plus->setModel(model_);
  Lista_plus->setSelectionBehavior(QAbstractItemView::SelectRows);
  Lista_plus->setSelectionMode(QAbstractItemView::SingleSelection);
  Lista_plus->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Lista_plus->setDragEnabled(true);
  Lista_plus->setDragDropMode(QAbstractItemView::DragOnly);
  Lista_plus->setShowGrid(false);
  Lista_plus->setWordWrap(false);
  Lista_plus->setAlternatingRowColors(true);
  // Every row one line high: a full catalogue is shown without measuring its rows.
  QHeaderView* rows = Lista_plus->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(Lista_plus->fontMetrics().height() + 4);
  QHeaderView* columns = Lista_plus->horizontalHeader();
  const int digits = Lista_plus->fontMetrics().horizontalAdvance("999999") + 12;
  columns->setMinimumSectionSize(digits / 2);
  columns->resizeSection(kNumberColumn, digits);
  columns->resizeSection(kPriceColumn, digits);
  columns->setSectionResizeMode(kDescriptionColumn, QHeaderView::Stretch);
  columns->setHighlightSections(false);
  // Listed as the catalogue holds them until a header is clicked; each further click on it turns the order
  // round (the header flips its indicator itself).
  columns->setSectionsClickable(true);
  columns->setSortIndicatorShown(true);
  columns->setSortIndicator(-1, Qt::AscendingOrder);
  connect(columns, &QHeaderView::sortIndicatorChanged, this, [this](int section, Qt::SortOrder order) {
    if (section < 0) return;
    list_.SortBy(section == kNumberColumn  ? CatalogueColumn::kNumber
                 : section == kPriceColumn ? CatalogueColumn::kPrice
                                           : CatalogueColumn::kDescription,
                 order == Qt::AscendingOrder);
    ShowRows();
  });

  connect(Check1, &QCheckBox::clicked, this, &CataloguePanel::RefreshRequested);
  connect(Text1, &QLineEdit::textChanged, this, [this] {
    list_.SearchTextChanged();
    Search();
  });
  connect(Text1, &QLineEdit::returnPressed, this, &CataloguePanel::Command10_Click);
  connect(Command10, &QPushButton::clicked, this, &CataloguePanel::Command10_Click);
  connect(Command11, &QPushButton::clicked, this, &CataloguePanel::Command11_Click);
  connect(Command16, &QPushButton::clicked, this, &CataloguePanel::Command16_Click);
  connect(Command9, &QPushButton::clicked, this, &CataloguePanel::Command9_Click);
  connect(Lista_plus->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!showing_) list_.Select(current.row());
          });
  connect(Lista_plus, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { emit RowClicked(index.row()); });
  connect(Lista_plus, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { emit RowActivated(index.row()); });
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
  model_->Reset();
  showing_ = false;
  ShowSelection();
}

void CataloguePanel::ShowSelection() {
  showing_ = true;
  const QModelIndex current = model_->index(list_.Selected(), kDescriptionColumn);
  Lista_plus->selectionModel()->setCurrentIndex(
      current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (current.isValid()) Lista_plus->scrollTo(current);
  showing_ = false;
}

// The search applies to the list the check box chooses: with "Only Defined plus" checked it looks among
// the PLUs placed on the pages, else through the whole catalogue (as FILTER always did). A check box the
// search ignored would look broken.
void CataloguePanel::Search() {
  list_.Fill(doc_, Check1->isChecked(), Text1->text().toStdString());
  ShowRows();
}

void CataloguePanel::Fill() {
  Search();
}

void CataloguePanel::Clear() {
  list_ = CatalogueList();
  Lista_plus->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
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
  for (int row : list_.Relabel(plu, text.toStdString())) model_->RowChanged(row);
}

bool CataloguePanel::TakeRowDrag(QEvent* event) {
  std::optional<int> row = DraggedRow(event);
  if (!row) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  if (*row < 0 || *row >= static_cast<int>(list_.Rows().size())) {
    drop->ignore();
    return true;
  }
  drop->acceptProposedAction();
  if (event->type() == QEvent::Drop) {
    list_.Select(*row);
    ShowSelection();
  }
  return true;
}

void CataloguePanel::Command10_Click() {
  Search();
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
  if (!list_.DeleteSelected(doc_)) return;
  ShowRows();
}

}  // namespace tabulo
