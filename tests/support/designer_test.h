#pragma once
// A designer started as the user starts it, in a maker folder of its own ($VELT_HOME), optionally over a
// work copy a previous run left; driven through its widgets, found by their object names.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "designer/mainwindow/main_window.h"
#include "designer/storage/project_files.h"
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

namespace tabulo::test {

class DesignerTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("VELT_HOME", (home_ / "velt").c_str(), 1); }
  void TearDown() override {
    window_.reset();
    ::unsetenv("VELT_HOME");
  }

  // Leaves a work copy made by `fill` for the designer to read at start.
  template <class Fill>
  void LeaveWorkCopy(Fill fill) {
    auto previous = std::make_unique<MenuDocument>();
    fill(*previous);
    ASSERT_TRUE(EnsureWorkFolders());
    previous->ProjectBase = WorkBase();
    ASSERT_TRUE(WriteProjectFiles(*previous).ok);
  }

  void Start() {
    window_ = std::make_unique<MainWindow>(*doc_, prompts_);
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  // The `index`th control named `name` (a control array shares one name), null when there is none.
  template <class W>
  W* Child(const char* name, int index = 0) {
    auto all = window_->findChildren<W*>(name);
    return index < all.size() ? all[index] : nullptr;
  }
  QLineEdit* Line(int k) { return Child<QLineEdit>("Linhas", k); }
  QLineEdit* PriceBox(int k) { return Child<QLineEdit>("Price", k); }
  void Click(const char* name, int index = 0) {
    QTest::mouseClick(Child<QPushButton>(name, index), Qt::LeftButton);
  }
  void Trigger(const char* item) { window_->findChild<QAction*>(item)->trigger(); }

  // Types into a box and leaves it for the next control, as the user does.
  static void TypeAndLeave(QLineEdit* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(box, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &leave);
  }

  TempFolder home_;
  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
  ScriptedPrompts prompts_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tabulo::test
