// "Translate menu..." of the designer through its widgets, against a translation server on 127.0.0.1 whose
// pace the test holds: the designer keeps working, Cancel keeps what was translated, the rest follows later.

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "designer/mainwindow/main_window.h"
#include "designer/translate/language_names.h"
#include "designer/translate/translate_menu_dialog.h"
#include "designer/translate/translation_services.h"
#include "designer/translate/translation_settings_dialog.h"
#include "tests/support/temp_folder.h"
#include "tests/translate/fake_libretranslate.h"

namespace tabulo {
namespace {

class TranslateMenuWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("VELT_HOME", maker_.Path().c_str(), 1);
    ::setenv("TABULO_TRANSLATE_SERVICE", "libretranslate", 1);
    ::setenv("TABULO_TRANSLATE_URL", service_.Base().c_str(), 1);
    main_ = std::make_unique<MainWindow>(*doc_, prompts_);
    main_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
    ApplyDefaultLanguageNames(*doc_);  // Portugues, English, Italiano, Frances, Espanol
    for (int i = 1; i <= 12; ++i) {
      AppendPlu(*doc_, std::to_string(i), "1.00", "Prato " + std::to_string(i));
      doc_->Lang(i, 2) = "Dish " + std::to_string(i);
    }
  }
  void TearDown() override {
    main_.reset();
    for (const char* name : {"VELT_HOME", "TABULO_TRANSLATE_SERVICE", "TABULO_TRANSLATE_URL"})
      ::unsetenv(name);
  }

  TranslateMenuWindow* Open() {
    main_->findChild<QAction*>("TranslateMenuCommand")->trigger();
    auto* window = main_->findChild<TranslateMenuWindow*>();
    EXPECT_TRUE(window && QTest::qWaitForWindowExposed(window));
    return window;
  }

  // Lets the designer run until `done` holds, as long as a slow machine needs.
  template <class Done>
  static bool Until(Done done) {
    for (int i = 0; i < 6000 && !done(); ++i) QTest::qWait(10);
    return done();
  }

  int Filled(int column) {
    int filled = 0;
    for (int i = 1; i <= 12; ++i) filled += doc_->Lang(i, column).empty() ? 0 : 1;
    return filled;
  }

  test::TempFolder maker_;
  test::FakeLibreTranslate service_;
  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
  ScriptedPrompts prompts_;
  std::unique_ptr<MainWindow> main_;
};

TEST_F(TranslateMenuWindowTest, ProgressCancelKeepsWhatWasDoneAndTheRestFollows) {
  TranslateMenuWindow* window = Open();
  ASSERT_EQ(window->From->count(), kLanguages);
  EXPECT_EQ(window->From->itemText(1), "2 English");
  EXPECT_EQ(window->To[5]->text(), "5 Espanol");
  window->From->setCurrentIndex(1);
  QTest::mouseClick(window->To[3], Qt::LeftButton, {}, QPoint(6, window->To[3]->height() / 2));
  QTest::mouseClick(window->To[5], Qt::LeftButton, {}, QPoint(6, window->To[5]->height() / 2));
  ASSERT_TRUE(window->To[3]->isChecked() && window->To[5]->isChecked());

  // Five answers come; the requests after them wait.
  service_.Hold(5);
  QTest::mouseClick(window->Start, Qt::LeftButton);
  ASSERT_TRUE(window->Running());
  EXPECT_FALSE(window->Start->isEnabled());
  ASSERT_TRUE(Until([&] { return window->Progress->value() == 5 && service_.Bodies().size() == 9; }))
      << window->Progress->value() << " " << service_.Bodies().size();
  EXPECT_EQ(window->Progress->maximum(), 24);
  // Meanwhile the designer is in use: a cell the translation would fill is typed by hand.
  const int typed = 12;
  doc_->Lang(typed, 3) = "Piatto dodici";
  EXPECT_EQ(Filled(3) + Filled(5), 1) << "nothing is applied before the end";

  QTest::mouseClick(window->Cancel, Qt::LeftButton);
  ASSERT_TRUE(Until([&] { return !window->Running(); }));
  service_.Release();
  EXPECT_EQ(Filled(3) + Filled(5), 6) << "the five translated, and the one typed";
  EXPECT_EQ(window->Report->text(),
            "Translated: 5, reused: 0, failed: 0, left alone: 0.\nCancelled: 19 texts were not translated.");
  EXPECT_EQ(doc_->Lang(typed, 3), "Piatto dodici");
  EXPECT_TRUE(window->Start->isEnabled());

  // Again: the filled cells are left alone, the others translated.
  QTest::mouseClick(window->Start, Qt::LeftButton);
  ASSERT_TRUE(Until([&] { return !window->Running(); }));
  EXPECT_EQ(Filled(3), 12);
  EXPECT_EQ(Filled(5), 12);
  EXPECT_EQ(doc_->Lang(7, 5), "es:Dish 7");
  EXPECT_EQ(doc_->Lang(typed, 3), "Piatto dodici");
  EXPECT_EQ(service_.Bodies().size(), 9u + 18u) << "each text asked for once more at most";
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(TranslateMenuWindowTest, SettingsAreStoredAndAnUnknownNameIsRefusedBeforeAsking) {
  ::unsetenv("TABULO_TRANSLATE_SERVICE");
  ::unsetenv("TABULO_TRANSLATE_URL");
  main_->findChild<QAction*>("TranslationSettingsCommand")->trigger();
  auto* settings = main_->findChild<TranslationSettingsDialog*>();
  ASSERT_TRUE(settings && QTest::qWaitForWindowExposed(settings));
  EXPECT_EQ(settings->Service->currentText(), "apertium");
  EXPECT_EQ(settings->Address->placeholderText(), kDefaultApertiumAddress);
  settings->Service->setCurrentText("libretranslate");
  EXPECT_EQ(settings->Address->placeholderText(), kDefaultLibreTranslateAddress);
  QTest::keyClicks(settings->Address, QString::fromStdString(service_.Base()));
  QTest::keyClicks(settings->Key, "k-123");
  QTest::mouseClick(settings->Save, Qt::LeftButton);
  ServiceSettings stored = ReadTranslationSettings(TranslationSettingsPath());
  EXPECT_EQ(stored.kind, ServiceKind::kLibreTranslate);
  EXPECT_EQ(stored.url, service_.Base());
  EXPECT_EQ(stored.key, "k-123");

  doc_->Lang(0, 4) = "Note!";
  TranslateMenuWindow* window = Open();
  window->From->setCurrentIndex(1);
  window->To[4]->setChecked(true);
  window->To[3]->setChecked(true);
  QTest::mouseClick(window->Start, Qt::LeftButton);
  EXPECT_FALSE(window->Running());
  EXPECT_EQ(prompts_.messages, (std::vector<std::string>{UnknownLanguageMessage("Note!")}));
  EXPECT_TRUE(service_.Bodies().empty());

  // Through the stored settings, with their key.
  window->To[4]->setChecked(false);
  QTest::mouseClick(window->Start, Qt::LeftButton);
  ASSERT_TRUE(Until([&] { return !window->Running(); }));
  EXPECT_EQ(Filled(3), 12);
  EXPECT_EQ(service_.Bodies().at(0)["api_key"], "k-123");
}

}  // namespace
}  // namespace tabulo
