#pragma once
// The print dialog (`Form4`, "Print"): margins and "Print lines" edited straight into the document, the
// print option and the print languages, and the print job on a printer the user chooses (or a PDF file),
// shown in a preview first. The cards themselves are drawn by the card layout.

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/pages/designer_host.h"
#include "designer/printing/card_layout.h"
#include "designer/printing/print_options.h"
#include "platform/user_prompts.h"

namespace tabulo {

inline constexpr const char* kNothingToPrint =
    "There is nothing to print: the chosen pages have no text in the chosen language.";
inline constexpr const char* kNoPrinter =
    "No printer is installed. The menu cards can still be printed to a PDF file.";
inline constexpr const char* kPrintFailed =
    "The menu cards could not be printed. Check the printer and try again.";
inline constexpr const char* kPicturesMissing = "These pictures were left out of the menu cards:";

// The question asked before printing lines that have no text in the chosen language.
std::string UntranslatedLinesMessage(const std::vector<std::string>& lines);

class PrintDialog : public QWidget {
  Q_OBJECT

 public:
  // Presents a print job on `printer`: `paint` draws the cards on the printer it is given and may be called
  // more than once. The default shows a preview, from which the user chooses the printer or a PDF file.
  using Presenter = std::function<void(QPrinter& printer, const std::function<void(QPrinter*)>& paint)>;

  PrintDialog(DesignerHost& host, QWidget* owner);

  void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
  const LanguageBoxes& Languages() const { return languages_; }

  QLineEdit* Text1 = nullptr;  // Margin X (Descr.)
  QLineEdit* Text2 = nullptr;  // Margin Y
  QLineEdit* Text4 = nullptr;  // Margin X (Price)
  QCheckBox* Check1 = nullptr;
  std::array<QRadioButton*, 4> Option{};
  std::array<QCheckBox*, kLanguages> LanguageP{};
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Calibration = nullptr;  // "Print calibration sheet"

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildForm();
  void Form_Load();
  void Text_Change(float& margin, QLineEdit* box);
  void Check1_Click();
  void LanguageP_Click(int k);
  void Command1_Click();
  void PrintCalibration();
  // Draws a document on the printer through the presenter; a failure is told to the user.
  void Present(const char* document, const std::function<void(CardCanvas&)>& draw);
  void ShowLanguages();
  PrintSettings Settings() const;
  void PreviewAndPrint(QPrinter& printer, const std::function<void(QPrinter*)>& paint);

  MenuDocument& doc_;
  UserPrompts& prompts_;
  DesignerHost& host_;
  Presenter presenter_;
  LanguageBoxes languages_ = LanguageBoxes::Initial();
};

// The Print command: the one print dialog, held in `dialog`, created on first use as a tool window of
// `owner` and shown modeless. A closed dialog is deleted later: a Print meanwhile opens a fresh one.
void ShowPrintDialog(QPointer<PrintDialog>& dialog, DesignerHost& host, QWidget* owner);

}  // namespace tabulo
