#include "designer/pages/default_colors_dialog.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QVBoxLayout>

#include "designer/pages/page_grid_widget.h"
#include "designer/pages/page_settings.h"
#include "designer/pages/page_window.h"
#include "designer/pages/widget_helpers.h"

namespace tabulo {
namespace {

constexpr const char* kFrameNames[3] = {"Frame1", "Frame2", "Frame3"};
constexpr const char* kFrameCaptions[3] = {"Text Colors", "Title Colors", "Note Colors"};

QPushButton* ColourButton(QWidget* parent, const char* name, int index) {
  auto* button = Named(new QPushButton(parent), name, index);
  button->setMinimumWidth(60);
  return button;
}

}  // namespace

void ShowButtonColour(QPushButton* button, int32_t colour) {
  button->setProperty("Color", colour);
  button->setStyleSheet(QString("background-color: %1;").arg(ColourOf(colour).name()));
}

int32_t ButtonColour(const QPushButton* button) {
  return button->property("Color").toInt();
}

DefaultColorsDialog::DefaultColorsDialog(DesignerHost& host, QWidget* owner)
    : QWidget(owner, Qt::Tool), host_(host) {
  setObjectName("Form7");
  setWindowTitle("Default Colors");
  auto* layout = new QVBoxLayout(this);

  auto* frames = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    Frame[i] = new QGroupBox(Q(kFrameCaptions[i]), this);
    Frame[i]->setObjectName(kFrameNames[i]);
    auto* grid = new QGridLayout(Frame[i]);
    Command3[i] = ColourButton(Frame[i], "Command3", i);
    Command4[i] = ColourButton(Frame[i], "Command4", i);
    grid->addWidget(Named(new QLabel("TextBackColor", Frame[i]), "Label7"), 0, 0);
    grid->addWidget(Command3[i], 0, 1);
    grid->addWidget(Named(new QLabel("TextColor", Frame[i]), "Label5"), 1, 0);
    grid->addWidget(Command4[i], 1, 1);
    frames->addWidget(Frame[i]);
    connect(Command3[i], &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
    connect(Command4[i], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });
  }
  layout->addLayout(frames);

  auto* settings = new QGridLayout;
  Command5 = ColourButton(this, "Command5", -1);
  settings->addWidget(Named(new QLabel("BackColor", this), "Label6"), 0, 0);
  settings->addWidget(Command5, 0, 1);
  Combo1 = new QComboBox(this);
  Combo1->setObjectName("Combo1");
  // A name typed into the list is not a choice: only a font picked from the list is stored.
  Combo1->setEditable(true);
  Combo1->setInsertPolicy(QComboBox::NoInsert);
  settings->addWidget(Named(new QLabel("Font", this), "Label4"), 1, 0);
  settings->addWidget(Combo1, 1, 1);
  Label1 = Named(new QLabel("Font test. FONT TEST", this), "Label1");
  settings->addWidget(Label1, 2, 0, 1, 2);
  Text3 = new QLineEdit(this);
  Text3->setObjectName("Text3");
  settings->addWidget(Named(new QLabel("Currency", this), "Label3"), 3, 0);
  settings->addWidget(Text3, 3, 1);
  layout->addLayout(settings);

  Command1 = Named(new QPushButton("Close Window", this), "Command1");
  layout->addWidget(Command1);

  connect(Command5, &QPushButton::clicked, this, &DefaultColorsDialog::Command5_Click);
  connect(Combo1, &QComboBox::activated, this, &DefaultColorsDialog::Combo1_Click);
  connect(Text3, &QLineEdit::textChanged, this, &DefaultColorsDialog::Text3_Change);
  connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

void DefaultColorsDialog::Form_Load() {
  const MenuDocument& doc = host_.Document();
  Combo1->clear();
  if (std::optional<std::vector<std::string>> fonts = host_.PrinterFonts()) {
    for (const std::string& name : *fonts) Combo1->addItem(QString::fromStdString(name));
  } else {
    // Without a printer the lines can still only be drawn in fonts this system has.
    Combo1->addItems(QFontDatabase::families());
  }
  Text3->setText(QString::fromStdString(doc.Currency));
  Combo1->setCurrentText(QString::fromStdString(doc.FontName));
  Label1->setFont(QFont(QString::fromStdString(doc.FontName)));
  for (int i = 0; i < 3; ++i) {
    ShowButtonColour(Command3[i], StyleColour(doc, i, true));
    ShowButtonColour(Command4[i], StyleColour(doc, i, false));
  }
  ShowButtonColour(Command5, DefaultPageColour(doc));
}

std::optional<int32_t> DefaultColorsDialog::PickColour(QPushButton* button) {
  // A cancelled picker stores nothing: the setting keeps what it held, even "" (the style default).
  std::optional<int32_t> colour = host_.Prompts().Colour(ButtonColour(button));
  if (colour) ShowButtonColour(button, *colour);
  return colour;
}

void DefaultColorsDialog::Command3_Click(int i) {
  if (auto colour = PickColour(Command3[i])) StoreStyleColour(host_.Document(), i, true, *colour);
}

void DefaultColorsDialog::Command4_Click(int i) {
  if (auto colour = PickColour(Command4[i])) StoreStyleColour(host_.Document(), i, false, *colour);
}

void DefaultColorsDialog::Command5_Click() {
  if (auto colour = PickColour(Command5)) StoreDefaultPageColour(host_.Document(), *colour);
}

void DefaultColorsDialog::Combo1_Click(int index) {
  if (index < 0) return;
  const QString name = Combo1->itemText(index);
  host_.Document().FontName = name.toStdString();
  Label1->setFont(QFont(name));
}

void DefaultColorsDialog::Text3_Change(const QString& text) {
  host_.Document().Currency = text.toStdString();
}

void DefaultColorsDialog::closeEvent(QCloseEvent* event) {
  // The main window closes every window when it closes, shown or not; only a shown one has changes to draw.
  if (isVisible()) {
    host_.Refresh_Page();
    host_.ChangeDone();
  }
  event->accept();
}

DefaultColorsDialog* ShowDefaultColorsDialog(QPointer<DefaultColorsDialog>& instance, DesignerHost& host,
                                             QWidget* owner) {
  return ShowPageWindow(instance, host, owner);
}

}  // namespace tabulo
