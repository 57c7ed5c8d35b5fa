#include "designer/translate/translation_settings_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cstdlib>

#include "base/environment.h"
#include "designer/pages/widget_helpers.h"
#include "designer/translate/translation_services.h"

namespace tabulo {
TranslationSettingsDialog::TranslationSettingsDialog(UserPrompts& prompts, QWidget* owner)
    : QDialog(owner), prompts_(prompts) {
  setObjectName("TranslationSettings");
  setWindowTitle("Translation settings");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  Service = Named(new QComboBox(this), "Service");
  for (ServiceKind kind : {ServiceKind::kApertium, ServiceKind::kLibreTranslate, ServiceKind::kPage}) {
    Service->addItem(Q(ServiceKindName(kind)));
  }
  Address = Named(new QLineEdit(this), "Address");
  Key = Named(new QLineEdit(this), "Key");
  Key->setEchoMode(QLineEdit::PasswordEchoOnEdit);
  Overridden = Named(new QLabel(this), "Overridden");
  Overridden->setWordWrap(true);
  Save = Named(new QPushButton("Save", this), "Save");
  Close = Named(new QPushButton("Close Window", this), "Close");

  auto* form = new QFormLayout;
  form->addRow("Service", Service);
  form->addRow("Base address", Address);
  form->addRow("API key", Key);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Save);
  buttons->addWidget(Close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(Overridden);
  layout->addLayout(buttons);

  connect(Service, &QComboBox::currentIndexChanged, this, &TranslationSettingsDialog::ShowDefaultAddress);
  connect(Save, &QPushButton::clicked, this, &TranslationSettingsDialog::Save_Click);
  connect(Close, &QPushButton::clicked, this, &QDialog::close);
  Load();
}

void TranslationSettingsDialog::Load() {
  ServiceSettings stored = ReadTranslationSettings(TranslationSettingsPath());
  Service->setCurrentText(Q(ServiceKindName(stored.kind)));
  Address->setText(Q(stored.url));
  Key->setText(Q(stored.key));
  ShowDefaultAddress();
  QStringList overriding;
  for (const char* name : {"TABULO_TRANSLATE_SERVICE", "TABULO_TRANSLATE_URL", "TABULO_TRANSLATE_KEY"}) {
    if (EnvironmentValue(name)) overriding << Q(name);
  }
  Overridden->setText(overriding.isEmpty() ? QString()
                                           : "Set in the environment, and used instead of these settings: " +
                                                 overriding.join(", ") + ".");
  Overridden->setVisible(!overriding.isEmpty());
}

void TranslationSettingsDialog::ShowDefaultAddress() {
  auto kind = ServiceKindOf(Service->currentText().toStdString());
  Address->setPlaceholderText(Q(DefaultServiceAddress(kind.value_or(ServiceKind::kApertium))));
}

void TranslationSettingsDialog::Save_Click() {
  ServiceSettings settings;
  settings.kind = ServiceKindOf(Service->currentText().toStdString()).value_or(ServiceKind::kApertium);
  settings.url = Address->text().trimmed().toStdString();
  settings.key = Key->text().trimmed().toStdString();
  std::string error = WriteTranslationSettings(TranslationSettingsPath(), settings);
  if (!error.empty()) {
    prompts_.Message("The translation settings were not saved: " + error);
    return;
  }
  close();
}

std::shared_ptr<TextTranslator> DesignerTranslator(std::string& error) {
  ServiceSettings resolved;
  error = ResolveTranslationSettings({}, ReadTranslationSettings(TranslationSettingsPath()), resolved);
  if (!error.empty()) return nullptr;
  return MakeTranslator(resolved);
}

}  // namespace tabulo
