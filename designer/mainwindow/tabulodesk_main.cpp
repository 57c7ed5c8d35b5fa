// tabulodesk: the menu designer.

#include <QApplication>
#include <memory>

#include "designer/document/menu_document.h"
#include "designer/mainwindow/main_window.h"
#include "designer/mainwindow/prompts_dialog.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("TABULO");
  QApplication::setApplicationName("TABULO");
  auto doc = std::make_unique<tabulo::MenuDocument>();
  tabulo::QtPrompts prompts;
  tabulo::MainWindow window(*doc, prompts);
  if (window.Refused()) return 1;  // another designer has the maker folder; the user was told
  window.ListenForEndOfSession();
  window.show();
  return app.exec();
}
