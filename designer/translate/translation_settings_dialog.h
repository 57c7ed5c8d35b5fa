#pragma once
// The designer's "Translation settings" window: which service translates (apertium, libretranslate, page),
// at which base address, with which API key. It writes the per-user settings file the `tabulo` command
// reads too, and says when the environment overrides what it shows.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <string>

#include "designer/translate/translator.h"
#include "platform/user_prompts.h"

namespace tabulo {

class TranslationSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  TranslationSettingsDialog(UserPrompts& prompts, QWidget* owner);

  QComboBox* Service = nullptr;
  QLineEdit* Address = nullptr;  // empty: the service's default address, shown as the placeholder
  QLineEdit* Key = nullptr;
  QLabel* Overridden = nullptr;  // what the environment overrides
  QPushButton* Save = nullptr;
  QPushButton* Close = nullptr;

 private:
  void Load();
  void ShowDefaultAddress();
  void Save_Click();

  UserPrompts& prompts_;
};

// The service the designer translates through now: the stored settings with the environment over them
// (read at every use, so a change applies at once). Null, with `error` set, when the environment names no
// known service.
std::shared_ptr<TextTranslator> DesignerTranslator(std::string& error);

}  // namespace tabulo
