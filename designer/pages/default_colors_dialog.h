#pragma once
// `Form7` "Default Colors": the colours the three line styles and new pages take when they set none of
// their own, the font of the lines and the currency symbol. Every change is in the document at once;
// closing the window redraws the main window with the new defaults.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "designer/pages/designer_host.h"

namespace tabulo {

class DefaultColorsDialog : public QWidget {
  Q_OBJECT

 public:
  DefaultColorsDialog(DesignerHost& host, QWidget* owner);

  // Fills the controls from the document.
  void Form_Load();

  std::array<QGroupBox*, 3> Frame{};       // `Frame1`..`Frame3`: text, title and note colours
  std::array<QPushButton*, 3> Command3{};  // background colour of style i
  std::array<QPushButton*, 3> Command4{};  // text colour of style i
  QPushButton* Command5 = nullptr;         // default page colour
  QComboBox* Combo1 = nullptr;             // font
  QLabel* Label1 = nullptr;                // font preview
  QLineEdit* Text3 = nullptr;              // currency
  QPushButton* Command1 = nullptr;         // "Close Window"

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Command3_Click(int i);
  void Command4_Click(int i);
  void Command5_Click();
  void Combo1_Click(int index);
  void Text3_Change(const QString& text);
  // Asks for a colour starting at the button's; a chosen colour is shown and returned.
  std::optional<int32_t> PickColour(QPushButton* button);

  DesignerHost& host_;
};

// Shows the shared "Default Colors" window, created in `instance` on first use as a tool window of `owner`.
DefaultColorsDialog* ShowDefaultColorsDialog(QPointer<DefaultColorsDialog>& instance, DesignerHost& host,
                                             QWidget* owner);

// Shows a colour on a colour button and keeps it in the button's property "Color".
void ShowButtonColour(QPushButton* button, int32_t colour);
int32_t ButtonColour(const QPushButton* button);

}  // namespace tabulo
