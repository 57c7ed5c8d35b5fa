#include "designer/pages/group_title_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "designer/pages/page_window.h"
#include "designer/pages/widget_helpers.h"
#include "designer/storage/picture_paths.h"

namespace tabulo {
namespace {}  // namespace

GroupTitleDialog::GroupTitleDialog(DesignerHost& host, QWidget* owner)
    : KeyPreviewWindow(owner),
      Languages(this, "Command8"),
      doc_(host.Document()),
      prompts_(host.Prompts()),
      host_(host) {
  setObjectName("Form6");
  setWindowTitle("Group Title");

  Label1 = Named(new QLabel(this), "Label1");
  Label1->setMinimumHeight(24);
  Command1 = Named(new QPushButton(this), "Command1");
  Command2 = Named(new QPushButton(this), "Command2");
  VisibleOnLeft = Named(new QCheckBox("Visible on left page also.", this), "VisibleOnLeft");
  Text1 = Named(new QLineEdit(this), "Text1");
  Command5 = Named(new QPushButton("Browse", this), "Command5");
  Command3 = Named(new QPushButton("Create group title", this), "Command3");
  Command7 = Named(new QPushButton("Remove group title", this), "Command7");
  Command6 = Named(new QPushButton("Close Window", this), "Command6");

  auto* colours = new QHBoxLayout;
  colours->addWidget(Named(new QLabel("Back Color", this), "Label3"));
  colours->addWidget(Command1);
  colours->addWidget(Named(new QLabel("Text Color", this), "Label2"));
  colours->addWidget(Command2);
  colours->addStretch();
  colours->addWidget(VisibleOnLeft);
  auto* picture = new QHBoxLayout;
  picture->addWidget(Named(new QLabel("Background picture", this), "Label4"));
  picture->addWidget(Text1, 1);
  picture->addWidget(Command5);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command3);
  buttons->addWidget(Command7);
  buttons->addStretch();
  buttons->addWidget(Command6);
  auto* form = new QVBoxLayout(this);
  form->addWidget(Label1);
  form->addLayout(colours);
  form->addLayout(picture);
  form->addWidget(Languages.Frame4);
  form->addLayout(buttons);
  resize(520, 400);

  connect(Text1, &QLineEdit::textChanged, this, &GroupTitleDialog::Text1_Change);
  connect(Command1, &QPushButton::clicked, this, &GroupTitleDialog::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &GroupTitleDialog::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &GroupTitleDialog::Command3_Click);
  connect(Command5, &QPushButton::clicked, this, &GroupTitleDialog::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &GroupTitleDialog::Command6_Click);
  connect(Command7, &QPushButton::clicked, this, &GroupTitleDialog::Command7_Click);
  Languages.Connect(this, doc_, prompts_, [this](int i) { Text3_Change(i); });
  PreviewKeysOfControls();
}

GroupTitleDialog::~GroupTitleDialog() = default;

int GroupTitleDialog::Page() const {
  return host_.CurrentPage();
}

GroupTitleFields GroupTitleDialog::Fields() const {
  return {Label1->text().toStdString(), back_color_, fore_color_, VisibleOnLeft->isChecked(),
          Text1->text().toStdString()};
}

void GroupTitleDialog::ShowColours() {
  PaintButton(Command1, back_color_);
  PaintButton(Command2, fore_color_);
  PaintPreview(Label1, back_color_, fore_color_);
}

void GroupTitleDialog::Form_Load() {
  GroupTitleLoad load = LoadGroupTitle(doc_, Page());
  Label1->setText(Q(load.title));
  back_color_ = load.back_color;
  fore_color_ = load.fore_color;
  ShowColours();
  VisibleOnLeft->setChecked(true);
  Text1->setText(Q(load.picture));
  Languages.Text3[0]->setText(Q(load.title));
  for (int i = 0; i < kLanguages; ++i) {
    Languages.Lingua[i]->setEditText(Q(load.languages.names[i]));
    if (i > 0) Languages.Text3[i]->setText(Q(load.languages.texts[i]));
  }
  Languages.Check1->setChecked(false);
  Languages.LockNames();
  loaded_ = true;
}

void GroupTitleDialog::Text1_Change() {
  StoreGroupPicture(doc_, Page(), Text1->text().toStdString());
}

void GroupTitleDialog::Text3_Change(int i) {
  const QString text = Languages.Text3[i]->text();
  // The preview follows the title as it is typed, so Create and Remove keep the text the user sees rather
  // than the one the window was opened with.
  if (i == 0) Label1->setText(text);
  StoreGroupTitleText(doc_, Page(), i, text.toStdString());
}

void GroupTitleDialog::Command1_Click() {
  auto colour = prompts_.Colour(back_color_);
  if (!colour) return;
  back_color_ = *colour;
  ShowColours();
  StoreGroupColour(doc_, Page(), true, *colour, VisibleOnLeft->isChecked());
}

void GroupTitleDialog::Command2_Click() {
  // The picker starts at the preview's background colour for both buttons.
  auto colour = prompts_.Colour(back_color_);
  if (!colour) return;
  fore_color_ = *colour;
  ShowColours();
  StoreGroupColour(doc_, Page(), false, *colour, VisibleOnLeft->isChecked());
}

void GroupTitleDialog::Command3_Click() {
  CreateGroupTitle(doc_, Page(), Fields());
  close();
}

void GroupTitleDialog::Command5_Click() {
  // A cancelled file dialog stores nothing; its starting name "*.JPG" is no picture.
  auto chosen = prompts_.OpenFileName(kPictureDialogTitle, kPicturePattern);
  if (!chosen) return;
  Text1->setText(Q(StoredPicturePath(*chosen, doc_.ProjectFolder)));
  StoreGroupPicture(doc_, Page(), Text1->text().toStdString());
}

void GroupTitleDialog::Command6_Click() {
  close();
}

void GroupTitleDialog::Command7_Click() {
  RemoveGroupTitle(doc_, Page(), Label1->text().toStdString());
  close();
}

// Every way of closing redraws the page; nothing is written beyond what the handlers stored already.
void GroupTitleDialog::closeEvent(QCloseEvent* event) {
  Languages.KeepHandTranslations();
  if (loaded_) {
    loaded_ = false;
    host_.Update_Page();
    host_.ChangeDone();
  }
  event->accept();
}

GroupTitleDialog* ShowGroupTitle(QPointer<GroupTitleDialog>& dialog, DesignerHost& host, QWidget* owner) {
  if (!dialog) dialog = new GroupTitleDialog(host, owner);
  if (!dialog->isVisible() || !dialog->Loaded()) dialog->Form_Load();
  ShowOrRaise(dialog);
  return dialog;
}

}  // namespace tabulo
