#include "designer/pages/background_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>

#include "designer/pages/default_colors_dialog.h"
#include "designer/pages/page_settings.h"
#include "designer/pages/page_window.h"
#include "designer/pages/widget_helpers.h"
#include "designer/storage/picture_paths.h"

namespace tabulo {
namespace {

constexpr const char* kPictureDialogTitle = "Background picture";

}  // namespace

BackgroundDialog::BackgroundDialog(DesignerHost& host, QWidget* owner)
    : QWidget(owner, Qt::Tool), host_(host) {
  setObjectName("Form8");
  setWindowTitle("Background effects");
  auto* grid = new QGridLayout(this);
  Command1 = Named(new QPushButton("", this), "Command1");
  Command1->setMinimumWidth(60);
  grid->addWidget(Named(new QLabel("Background Color", this), "Label1"), 0, 0);
  grid->addWidget(Command1, 0, 1);
  Text1 = new QLineEdit(this);
  Text1->setObjectName("Text1");
  grid->addWidget(Named(new QLabel("BackGround Picture", this), "Label2"), 1, 0);
  grid->addWidget(Text1, 1, 1);
  Command2 = Named(new QPushButton("Browse", this), "Command2");
  grid->addWidget(Command2, 1, 2);
  Label3 = Named(new QLabel("Resolution ( 465*516 px)", this), "Label3");
  grid->addWidget(Label3, 2, 0, 1, 3);
  Command3 = Named(new QPushButton("Close Windows", this), "Command3");
  grid->addWidget(Command3, 3, 0, 1, 3);

  connect(Text1, &QLineEdit::textChanged, this, &BackgroundDialog::Text1_Change);
  connect(Command1, &QPushButton::clicked, this, &BackgroundDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &BackgroundDialog::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &QWidget::close);
}

void BackgroundDialog::Form_Load() {
  const MenuDocument& doc = host_.Document();
  const int page = host_.CurrentPage();
  const int side = doc.Hand.BackgroundSide;
  ShowButtonColour(Command1, SideColour(doc, page, side));
  Text1->setText(QString::fromStdString(SidePicture(doc, page, side)));
}

void BackgroundDialog::Text1_Change(const QString& text) {
  MenuDocument& doc = host_.Document();
  StoreSidePicture(doc, host_.CurrentPage(), doc.Hand.BackgroundSide, text.toStdString());
}

void BackgroundDialog::Command1_Click() {
  MenuDocument& doc = host_.Document();
  const int page = host_.CurrentPage();
  const int side = doc.Hand.BackgroundSide;
  // The picker starts at what the side shows now, which after a page change is the new page's colour.
  std::optional<int32_t> colour = host_.Prompts().Colour(SideColour(doc, page, side));
  if (!colour) return;
  StoreSideColour(doc, page, side, *colour);
  ShowButtonColour(Command1, *colour);
  // The side takes the colour at once, not only when the window closes.
  host_.Update_Page();
  host_.ChangeDone();
}

void BackgroundDialog::Command2_Click() {
  // A cancelled file dialog stores nothing; storing the "*.JPG" it started with would name no picture.
  std::optional<std::string> chosen =
      host_.Prompts().OpenFileName(kPictureDialogTitle, kBackgroundPicturePattern);
  if (!chosen) return;
  MenuDocument& doc = host_.Document();
  const std::string field = StoredPicturePath(*chosen, doc.ProjectFolder);
  Text1->setText(QString::fromStdString(field));
  StoreSidePicture(doc, host_.CurrentPage(), doc.Hand.BackgroundSide, field);
}

void BackgroundDialog::closeEvent(QCloseEvent* event) {
  // "Close Windows" and the close box both draw what was changed; a window closed while hidden (the main
  // window closing everything) has nothing to draw.
  if (isVisible()) {
    host_.Update_Page();
    host_.ChangeDone();
  }
  event->accept();
}

BackgroundDialog* ShowBackgroundDialog(QPointer<BackgroundDialog>& instance, DesignerHost& host,
                                       QWidget* owner) {
  return ShowPageWindow(instance, host, owner);
}

}  // namespace tabulo
