// tabulodesk: the menu designer.

#include <QApplication>
#include <memory>

#include "designer/document/menu_document.h"
#include "designer/mainwindow/main_window.h"
#include "designer/mainwindow/prompts_dialog.h"
#include "designer/mainwindow/startup_probe_widget.h"

int main(int argc, char** argv) {
  bool exit_after_first_paint = tabulo::TakeExitAfterFirstPaint(argc, argv);
  QApplication app(argc, argv);
  QApplication::setOrganizationName("TABULO");
  QApplication::setApplicationName("TABULO");
  auto doc = std::make_unique<tabulo::MenuDocument>();
  tabulo::QtPrompts prompts;
  tabulo::MainWindow window(*doc, prompts);
  if (window.Refused()) return 1;  // another designer has the maker folder; the user was told
  window.ListenForEndOfSession();
  if (exit_after_first_paint) tabulo::ExitAfterFirstPaint(window);
  window.show();
  return app.exec();
}
