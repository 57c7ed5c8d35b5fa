// A designer as the user leaves it: started in the maker folder of $VELT_HOME, listening for the end of the
// session as tabulodesk does, with the text of its first argument typed on line 1 of the page and the focus
// still in that line. It prints "ready" once the text is typed, "refused" when another designer has the
// folder.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <iostream>
#include <memory>

#include "designer/document/menu_document.h"
#include "designer/mainwindow/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  auto doc = std::make_unique<tabulo::MenuDocument>();
  tabulo::ScriptedPrompts prompts;
  tabulo::MainWindow window(*doc, prompts);
  if (window.Refused()) {
    std::cout << "refused" << std::endl;
    return 1;
  }
  window.ListenForEndOfSession();
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) return 2;
  QLineEdit* line = window.findChildren<QLineEdit*>("Linhas").value(0);
  if (!line) return 2;
  line->setFocus(Qt::MouseFocusReason);
  QTest::keyClicks(line, argc > 1 ? argv[1] : "Soup");
  std::cout << "ready" << std::endl;
  return app.exec();
}
