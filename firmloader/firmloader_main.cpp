// firmloader: the firmware tool, started by the designer's "Upgrade Firmware".

#include <QApplication>
#include <QSettings>

#include "designer/link/kestrel_binding.h"
#include "designer/mainwindow/prompts_dialog.h"
#include "designer/mainwindow/startup_probe_widget.h"
#include "firmloader/firmware_window.h"
#include "platform/folders.h"

namespace {
// Where a site keeps its download server, beside the designer's own settings.
constexpr const char* kServerKey = "Firmware/ServerFolder";
}  // namespace

int main(int argc, char** argv) {
  bool exit_after_first_paint = tabulo::TakeExitAfterFirstPaint(argc, argv);
  QApplication app(argc, argv);
  // The designer's settings store: a site names its firmware server folder there once for both programs.
  QSettings settings("TABULO", "TABULO");
  std::string server = tabulo::FirmwareServerFolder(settings.value(kServerKey).toString().toStdString());
  std::string folder = tabulo::FirmloaderHome();

  tabulo::KestrelBinding api;
  tabulo::QtPrompts prompts;
  tabulo::FirmwareWindow window(api, prompts, folder, server);
  QObject::connect(&window, &tabulo::FirmwareWindow::ServerFolderChanged,
                   [&settings](const QString& address) { settings.setValue(kServerKey, address); });
  if (exit_after_first_paint) tabulo::ExitAfterFirstPaint(window);
  window.show();
  if (!tabulo::EnsureFolder(folder)) {
    prompts.Message("The firmware tool's folder " + folder + " cannot be created.");
    return 1;
  }
  if (!window.Form_Load()) return 0;
  return app.exec();
}
