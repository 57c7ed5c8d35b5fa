#pragma once
// `Form8` "Background effects": the background colour and picture of one side of the current page. The
// side and the page are read again by every handler, so after a page change on the main window the
// window's next change goes to the page now shown.

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include "designer/pages/designer_host.h"

namespace tabulo {

class BackgroundDialog : public QWidget {
  Q_OBJECT

 public:
  BackgroundDialog(DesignerHost& host, QWidget* owner);

  // Fills the controls from the side of the current page.
  void Form_Load();

  QPushButton* Command1 = nullptr;  // background colour
  QLineEdit* Text1 = nullptr;       // picture file
  QPushButton* Command2 = nullptr;  // "Browse"
  QLabel* Label3 = nullptr;         // the picture size that fills a side
  QPushButton* Command3 = nullptr;  // "Close Windows"

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Text1_Change(const QString& text);
  void Command1_Click();
  void Command2_Click();

  DesignerHost& host_;
};

// Shows the shared "Background effects" window, created in `instance` on first use as a tool window of
// `owner`.
BackgroundDialog* ShowBackgroundDialog(QPointer<BackgroundDialog>& instance, DesignerHost& host,
                                       QWidget* owner);

}  // namespace tabulo
