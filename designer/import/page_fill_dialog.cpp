#include "designer/import/page_fill_dialog.h"

#include <QBrush>
#include <QFormLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <utility>

#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QString PagesOf(const FilledCategory& category) {
  if (!category.fits) return QStringLiteral("does not fit");
  if (category.first_page == category.last_page) return QString::number(category.first_page);
  return QString::number(category.first_page) + QStringLiteral("\u2013") +
         QString::number(category.last_page);
}

}  // namespace

PageFillDialog::PageFillDialog(const MenuDocument& doc, std::string path, QWidget* parent)
    : QDialog(parent), doc_(doc), path_(std::move(path)) {
  setObjectName("PageFillDialog");
  setWindowTitle(Q(kLayOutPagesCaption));
  StartPage = new QSpinBox(this);
  StartPage->setObjectName("StartPage");
  StartPage->setRange(0, kPages);
  StartPage->setSpecialValueText("First free page");
  Replace = new QCheckBox("Replace the pages in use", this);
  Replace->setObjectName("Replace");
  Summary = new QLabel(this);
  Summary->setObjectName("Summary");
  Summary->setWordWrap(true);
  Categories = new QTreeWidget(this);
  Categories->setObjectName("Categories");
  Categories->setRootIsDecorated(false);
  Categories->setHeaderLabels({"Category", "Dishes", "Pages"});
  Categories->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  Details = new QPlainTextEdit(this);
  Details->setObjectName("Details");
  Details->setReadOnly(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  Apply = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  Apply->setObjectName("Apply");

  auto* options = new QFormLayout;
  options->addRow("Start page:", StartPage);
  options->addRow(Replace);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(options);
  layout->addWidget(Summary);
  layout->addWidget(Categories, 2);
  layout->addWidget(Details, 1);
  layout->addWidget(buttons);
  resize(560, 520);

  connect(StartPage, &QSpinBox::valueChanged, this, &PageFillDialog::Replan);
  connect(Replace, &QCheckBox::toggled, this, &PageFillDialog::Replan);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Replan();
}

void PageFillDialog::Replan() {
  plan_ = PlanPageFill(doc_, path_, {StartPage->value(), Replace->isChecked()});
  Summary->setText(Text(plan_.ok ? PageFillSummary(plan_) : plan_.error));
  Categories->clear();
  for (const FilledCategory& category : plan_.categories) {
    auto* item = new QTreeWidgetItem(
        Categories, {category.name.empty() ? QStringLiteral("(no category)") : Text(category.name),
                     QString::number(category.dishes), PagesOf(category)});
    if (!category.fits) {
      for (int column = 0; column < 3; ++column) item->setForeground(column, QBrush(Qt::red));
    }
  }
  Details->setPlainText(Text(DescribePageFill(plan_)));
  Apply->setEnabled(plan_.ok);
}

}  // namespace tabulo
