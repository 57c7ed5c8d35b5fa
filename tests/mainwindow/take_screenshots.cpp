// take_screenshots FOLDER: the pictures of the user guide, taken from the real windows drawn offscreen over
// a sample restaurant menu, written as FOLDER/NAME.png. `make screenshots` writes them into docs/images; the
// test run writes them into the build tree, so that a window that can no longer be drawn fails the tests.
// Exit 1 when any window could not be drawn (a null or blank picture) or its picture not written.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "designer/link/kestrel_binding.h"
#include "designer/mainwindow/main_window.h"
#include "designer/storage/project_files.h"
#include "firmloader/firmware_window.h"
#include "platform/folders.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace {

using tabulo::MainWindow;

class Camera {
 public:
  explicit Camera(QString folder) : folder_(std::move(folder)) {}

  // The window's picture as NAME.png. A picture that is null, empty or of one colour only means the window
  // was not drawn.
  void Take(QWidget* window, const QString& name) {
    if (!window) {
      Fail(name, "the window did not open");
      return;
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
      Fail(name, "the window was not shown");
      return;
    }
    QApplication::processEvents();
    const QPixmap picture = window->grab();
    if (picture.isNull() || picture.width() < 50 || picture.height() < 50) {
      Fail(name, "its picture is empty");
      return;
    }
    // Fewer colours make a picture several times smaller, and a window has few of them anyway.
    const QImage image = picture.toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    if (image.colorCount() < 2) {
      Fail(name, "its picture is blank");
      return;
    }
    const QString path = folder_ + "/" + name + ".png";
    if (!image.save(path, "PNG", 9)) {
      Fail(name, "cannot write " + path.toStdString());
      return;
    }
    std::cout << "take_screenshots: " << path.toStdString() << " (" << image.width() << "x" << image.height()
              << ")\n";
  }

  int ExitCode() const { return failed_ ? 1 : 0; }

 private:
  void Fail(const QString& name, const std::string& why) {
    std::cerr << "take_screenshots: " << name.toStdString() << ": " << why << '\n';
    failed_ = true;
  }

  QString folder_;
  bool failed_ = false;
};

template <class W = QWidget>
W* TopLevel(const char* object_name) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == object_name && window->isVisible()) return qobject_cast<W*>(window);
  }
  return nullptr;
}

void Trigger(MainWindow& window, const char* item) {
  if (auto* action = window.findChild<QAction*>(item)) action->trigger();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: take_screenshots FOLDER\n";
    return 2;
  }
  // Nothing of the user's is read or written: a maker folder, settings and firmware folder of its own.
  tabulo::test::TempFolder home;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::setenv("VELT_HOME", (home / "velt").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  ::setenv("FIRMLOADER_HOME", (home / "firmloader").c_str(), 1);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));  // the same pictures on every desktop
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::cerr << "take_screenshots: cannot create " << argv[1] << '\n';
    return 1;
  }
  Camera camera(folder);

  // The designer starts on the sample menu as it starts on the work copy of the last run.
  {
    auto sample = tabulo::test::RestaurantMenu();
    tabulo::EnsureWorkFolders();
    sample->ProjectBase = tabulo::WorkBase();
    if (!tabulo::WriteProjectFiles(*sample).ok) {
      std::cerr << "take_screenshots: cannot write the sample menu\n";
      return 1;
    }
  }
  tabulo::MenuDocument doc;
  tabulo::ScriptedPrompts prompts;
  MainWindow designer(doc, prompts);
  designer.show();
  // The designer starts beside the modifier panel; its button switches to the page's back side.
  camera.Take(&designer, "modifiers");
  auto* switch_layout = designer.findChild<QPushButton*>("Expand");
  if (switch_layout) switch_layout->click();
  camera.Take(&designer, "designer");

  auto* search = designer.findChild<QLineEdit*>("Text1");
  if (search) QTest::keyClicks(search, "agua");
  camera.Take(&designer, "catalogue-search");
  if (search) search->clear();

  // Enter on the first dish, below its group's title, opens the line editor.
  if (auto* dish = designer.findChildren<QLineEdit*>("Linhas").value(1))
    QTest::keyClick(dish, Qt::Key_Return);
  camera.Take(TopLevel("Form5"), "line-editor");
  if (QWidget* editor = TopLevel("Form5")) editor->close();

  Trigger(designer, "Print");
  camera.Take(TopLevel("Form4"), "print");
  Trigger(designer, "SendAll");
  camera.Take(TopLevel("Form1"), "send");
  Trigger(designer, "Receive");
  camera.Take(TopLevel("Form3"), "receive");
  Trigger(designer, "TranslateMenuCommand");
  camera.Take(TopLevel("TranslateMenu"), "translate");

  // The firmware tool over a catalogue as its server publishes one.
  std::filesystem::create_directories(home / "firmloader");
  std::ofstream(home / "firmloader/Conf.xml")
      << "<MENU>\r\n  <Descricao>Menu terminal</Descricao>\r\n  <Hardware>Ementa</Hardware>\r\n"
         "  <Filename>menu7</Filename>\r\n</MENU>\r\n<BASE>\r\n  <Descricao>Base station</Descricao>\r\n"
         "  <Hardware>Antena</Hardware>\r\n  <Filename>base3</Filename>\r\n</BASE>\r\n";
  tabulo::KestrelBinding radio;
  tabulo::FirmwareWindow firmware(radio, prompts, home / "firmloader", "https://firmware.example.invalid/");
  firmware.LoadProgramList();
  camera.Take(&firmware, "firmware");

  designer.close();
  return camera.ExitCode();
}
