#pragma once
// The preview of "Lay out pages from a spreadsheet...": which categories land on which pages, what does not
// fit, the columns not read and the rows skipped, before anything changes. The start page and whether pages
// in use are replaced can be changed here; each change plans again. Accepting it (Apply) hands the plan
// shown to the caller, which applies it; Apply is offered only for a plan that can be applied.

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <string>

#include "designer/import/page_fill.h"

namespace tabulo {

class PageFillDialog : public QDialog {
  Q_OBJECT

 public:
  PageFillDialog(const MenuDocument& doc, std::string path, QWidget* parent);
  const PageFillPlan& Plan() const { return plan_; }

  QSpinBox* StartPage = nullptr;  // 0 shows "First free page"
  QCheckBox* Replace = nullptr;
  QLabel* Summary = nullptr;
  QTreeWidget* Categories = nullptr;  // category, dishes, pages
  QPlainTextEdit* Details = nullptr;  // the whole description, as the command line prints it
  QPushButton* Apply = nullptr;

 private:
  void Replan();

  const MenuDocument& doc_;
  std::string path_;
  PageFillPlan plan_;
};

}  // namespace tabulo
