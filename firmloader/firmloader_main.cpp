// firmloader: the firmware tool, started by the designer's "Upgrade Firmware".

#include <QApplication>
#include <iostream>

#include "designer/link/kestrel_binding.h"
#include "designer/mainwindow/prompts_dialog.h"
#include "designer/mainwindow/startup_probe_widget.h"
#include "firmloader/firmware_window.h"
#include "platform/folders.h"
#include "platform/settings.h"

int main(int argc, char** argv) {
  bool exit_after_first_paint = tabulo::TakeExitAfterFirstPaint(argc, argv);
  QApplication app(argc, argv);
  // A site names its firmware server folder once, for this window and `tabulo firmware`.
  std::string server =
      tabulo::FirmwareServerFolder(tabulo::ReadSetting(tabulo::kFirmwareServerSettingKey).value_or(""));
  std::string folder = tabulo::FirmloaderHome();

  tabulo::KestrelBinding api;
  tabulo::QtPrompts prompts;
  tabulo::FirmwareWindow window(api, prompts, folder, server);
  QObject::connect(&window, &tabulo::FirmwareWindow::ServerFolderChanged, [](const QString& address) {
    if (!tabulo::WriteSetting(tabulo::kFirmwareServerSettingKey, address.toStdString()))
      std::cerr << "The server folder cannot be stored in " << tabulo::SettingsFile() << "\n";
  });
  if (exit_after_first_paint) tabulo::ExitAfterFirstPaint(window);
  window.show();
  if (!tabulo::EnsureFolder(folder)) {
    prompts.Message("The firmware tool's folder " + folder + " cannot be created.");
    return 1;
  }
  if (!window.Form_Load()) return 0;
  return app.exec();
}
