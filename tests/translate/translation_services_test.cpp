// The translation services against real servers on 127.0.0.1: an Apertium APy with Debian's pairs, and a
// LibreTranslate-compatible server played by the test; the memory; the whole-menu translation.

#include "designer/translate/translation_services.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "designer/document/catalogue_lookup.h"
#include "designer/translate/language_names.h"
#include "designer/translate/menu_translation.h"
#include "designer/translate/translation_memory.h"
#include "tests/support/apertium_server.h"
#include "tests/support/temp_folder.h"
#include "tests/translate/fake_libretranslate.h"

namespace tabulo {
namespace {

using json = nlohmann::json;
using test::FakeLibreTranslate;

HttpOptions Quick() {
  HttpOptions http;
  http.total_timeout = std::chrono::milliseconds(1000);
  return http;
}

TEST(Apertium, TranslatesDirectlyAndThroughAPivotAndRefusesWhatItLacks) {
  test::ApertiumServer& server = test::ApertiumServer::Shared();
  ASSERT_EQ(server.Error(), "");
  HttpOptions http;
  http.total_timeout = std::chrono::seconds(120);  // the first request starts the pair's pipeline
  auto translator = MakeTranslator({ServiceKind::kApertium, server.Base(), ""}, http);

  Translation spanish = translator->Translate("Chicken soup", "English", "Espanol");
  ASSERT_TRUE(spanish.ok()) << spanish.message;
  EXPECT_EQ(spanish.text, "Sopa de pollo");
  // There is no English-Portuguese pair: Spanish is the pivot.
  Translation portuguese = translator->Translate("Chicken soup", "english", "Portugu\xc3\xaas");
  ASSERT_TRUE(portuguese.ok()) << portuguese.message;
  EXPECT_EQ(portuguese.text, "Sopa de frango");
  // Plain text: "&" and "<" are characters, not markup.
  Translation marks = translator->Translate("Fish & chips <hot>", "English", "Spanish");
  ASSERT_TRUE(marks.ok()) << marks.message;
  EXPECT_NE(marks.text.find('&'), std::string::npos) << marks.text;
  EXPECT_EQ(marks.text.find("&amp;"), std::string::npos) << marks.text;

  Translation german = translator->Translate("Chicken soup", "English", "Deutsch");
  EXPECT_EQ(german.status, Translation::Status::kRefusedPair);
  EXPECT_EQ(german.message,
            "The translation service at " + server.Base() + " cannot translate from English to Deutsch.");
  Translation klingon = translator->Translate("Chicken soup", "English", "Klingon");
  EXPECT_EQ(klingon.status, Translation::Status::kUnknownLanguage);
  EXPECT_NE(klingon.message.find("\"Klingon\" is not a language"), std::string::npos);
  EXPECT_NE(klingon.message.find("Portugu\xc3\xaas, Portuguese"), std::string::npos) << klingon.message;
  EXPECT_EQ(translator->RefusedNames("English", "Note!"), UnknownLanguageMessage("Note!"));
}

TEST(LanguageNames, CaseAccentsOwnAndEnglishSpellingAndCodes) {
  const std::pair<const char*, const char*> names[] = {{"Portugu\xc3\xaas", "pt"},
                                                       {"Portugues", "pt"},
                                                       {"PORTUGUESE", "pt"},
                                                       {" portugues ", "pt"},
                                                       {"English", "en"},
                                                       {"ingl\xc3\xa9s", "en"},
                                                       {"Fran\xc3\xa7"
                                                        "ais",
                                                        "fr"},
                                                       {"Frances", "fr"},
                                                       {"FRAN\xc3\x87"
                                                        "AIS",
                                                        "fr"},
                                                       {"Espa\xc3\xb1ol", "es"},
                                                       {"Espanol", "es"},
                                                       {"spanish", "es"},
                                                       {"Italiano", "it"},
                                                       {"Deutsch", "de"},
                                                       {"german", "de"},
                                                       {"spa", "es"},
                                                       {"pt", "pt"}};
  for (const auto& [name, code] : names) {
    auto language = LanguageOf(name);
    ASSERT_TRUE(language) << name;
    EXPECT_STREQ(language->code, code) << name;
  }
  for (const char* unknown : {"Note!", "Klingon", "", "p", "Portugues2"})
    EXPECT_FALSE(LanguageOf(unknown)) << unknown;
}

TEST(LibreTranslate, SendsTheTextAsJsonAndTellsEachFailureApart) {
  FakeLibreTranslate server;
  server.special["Sopa"] = {400, R"({"error":"pt is not supported"})"};
  server.special["Key"] = {403, R"({"error":"Invalid API key"})"};
  server.special["Huge"] = {200, json{{"translatedText", std::string(2 << 20, 'x')}}.dump()};
  auto translator = MakeTranslator({ServiceKind::kLibreTranslate, server.Base() + "/", "secret"}, Quick());

  Translation ok = translator->Translate("Peixe \"grelhado\" & batatas\n", "Portugu\xc3\xaas", "English");
  ASSERT_TRUE(ok.ok()) << ok.message;
  EXPECT_EQ(ok.text, "en:Peixe \"grelhado\" & batatas\n");
  EXPECT_EQ(server.Bodies().at(0), (json{{"q", "Peixe \"grelhado\" & batatas\n"},
                                         {"source", "pt"},
                                         {"target", "en"},
                                         {"format", "text"},
                                         {"api_key", "secret"}}));

  EXPECT_EQ(translator->Translate("Sopa", "Portugues", "English").status, Translation::Status::kRefusedPair);
  Translation key = translator->Translate("Key", "Portugues", "English");
  EXPECT_EQ(key.status, Translation::Status::kFailed);
  EXPECT_EQ(key.message, "The translation service at " + server.Base() + "/ answered 403: Invalid API key");
  Translation huge = translator->Translate("Huge", "Portugues", "English");
  EXPECT_EQ(huge.status, Translation::Status::kFailed);
  EXPECT_NE(huge.message.find("larger than 1024 KB"), std::string::npos) << huge.message;

  server.Hold();
  Translation silent = translator->Translate("Sopa de peixe", "Portugues", "English");
  EXPECT_EQ(silent.status, Translation::Status::kTimeout);
  EXPECT_EQ(silent.message, "the translation service at " + server.Base() + "/ did not answer in 1 s");
  server.Release();

  auto closed = MakeTranslator({ServiceKind::kLibreTranslate, "http://127.0.0.1:1", ""}, Quick());
  Translation nobody = closed->Translate("Sopa", "Portugues", "English");
  EXPECT_EQ(nobody.status, Translation::Status::kNoConnection);
  EXPECT_NE(nobody.message.find("cannot be reached"), std::string::npos);
  // Nothing but http and https is asked.
  auto file = MakeTranslator({ServiceKind::kLibreTranslate, "file:///etc", ""}, Quick());
  EXPECT_FALSE(file->Translate("Sopa", "Portugues", "English").ok());
}

TEST(TranslationSettings, CommandLineThenEnvironmentThenTheStoredSetting) {
  test::TempFolder folder;
  const std::string path = folder / "settings/translation.conf";
  EXPECT_EQ(ReadTranslationSettings(path).kind, ServiceKind::kApertium) << "apertium without a file";
  ASSERT_EQ(WriteTranslationSettings(path, {ServiceKind::kLibreTranslate, "http://lt.example:5000", "k1"}),
            "");
  ServiceSettings stored = ReadTranslationSettings(path);
  EXPECT_EQ(stored.kind, ServiceKind::kLibreTranslate);
  EXPECT_EQ(stored.url, "http://lt.example:5000");
  EXPECT_EQ(stored.key, "k1");

  for (const char* name : {"TABULO_TRANSLATE_SERVICE", "TABULO_TRANSLATE_URL", "TABULO_TRANSLATE_KEY"}) {
    ::unsetenv(name);
  }
  ServiceSettings resolved;
  ASSERT_EQ(ResolveTranslationSettings({}, stored, resolved), "");
  EXPECT_EQ(ServiceAddress(resolved), "http://lt.example:5000");
  ::setenv("TABULO_TRANSLATE_URL", "http://env:1", 1);
  ::setenv("TABULO_TRANSLATE_KEY", "k2", 1);
  ASSERT_EQ(ResolveTranslationSettings({}, stored, resolved), "");
  EXPECT_EQ(resolved.url, "http://env:1");
  EXPECT_EQ(resolved.key, "k2");
  ASSERT_EQ(ResolveTranslationSettings({std::nullopt, "http://cli:2", "k3"}, stored, resolved), "");
  EXPECT_EQ(resolved.url, "http://cli:2");
  EXPECT_EQ(resolved.key, "k3");
  ::unsetenv("TABULO_TRANSLATE_URL");
  ::unsetenv("TABULO_TRANSLATE_KEY");
  // Another service does not inherit the stored service's address and key.
  ::setenv("TABULO_TRANSLATE_SERVICE", "Apertium", 1);
  ASSERT_EQ(ResolveTranslationSettings({}, stored, resolved), "");
  EXPECT_EQ(resolved.kind, ServiceKind::kApertium);
  EXPECT_EQ(ServiceAddress(resolved), kDefaultApertiumAddress);
  EXPECT_EQ(resolved.key, "");
  EXPECT_EQ(ResolveTranslationSettings({"page", std::nullopt, std::nullopt}, stored, resolved), "");
  EXPECT_EQ(resolved.kind, ServiceKind::kPage);
  ::unsetenv("TABULO_TRANSLATE_SERVICE");
  EXPECT_NE(ResolveTranslationSettings({"babel", std::nullopt, std::nullopt}, stored, resolved), "");
}

TEST(TranslationMemory, HandCorrectionsWinAndWhatAnotherProgramAddsIsSeen) {
  test::TempFolder folder;
  const std::string path = folder / "velt/translation-memory.txt";
  TranslationMemory mine(path), other(path);
  const std::string awkward = "Soup\tof the day\nwith \\ bread";
  ASSERT_EQ(mine.Remember("en", "es", awkward,
                          "Sopa del d\xc3\xad"
                          "a",
                          MemoryOrigin::kService),
            "");
  EXPECT_EQ(other.Find("en", "es", awkward),
            "Sopa del d\xc3\xad"
            "a")
      << "read from the file, escapes undone";
  ASSERT_EQ(other.Remember("en", "es", awkward, "Sopa casera", MemoryOrigin::kHand), "");
  ASSERT_EQ(mine.Remember("en", "es", awkward, "Sopa nueva", MemoryOrigin::kService), "");
  EXPECT_EQ(mine.Find("en", "es", awkward), "Sopa casera") << "the hand correction wins";
  EXPECT_EQ(mine.Find("es", "en", awkward), std::nullopt);

  // The menu's own translations come after hand corrections and before what the service said.
  MenuDocument doc;
  ApplyDefaultLanguageNames(doc);  // Portugues, English, Italiano, Frances, Espanol
  ASSERT_TRUE(AppendPlu(doc, "7", "3.00", "Sopa"));
  doc.Lang(7, 2) = "Soup";
  doc.Lang(7, 5) = "Sopa (menu)";
  ASSERT_TRUE(AppendPlu(doc, "8", "3.00", "Caldo"));
  doc.Lang(8, 2) = "Broth";
  mine.Remember("en", "es", "Soup", "Sopa (service)", MemoryOrigin::kService);
  mine.Remember("en", "es", "Broth", "Caldo (service)", MemoryOrigin::kService);
  EXPECT_EQ(Recall(doc, &mine, 2, 5, "English", "Espanol", "Soup")->text, "Sopa (menu)");
  EXPECT_EQ(Recall(doc, &mine, 2, 5, "English", "Espa\xc3\xb1ol", "Broth")->text, "Caldo (service)");
  mine.Remember("en", "es", "Soup", "Sopa (hand)", MemoryOrigin::kHand);
  auto hand = Recall(doc, &mine, 2, 5, "English", "Espanol", "Soup");
  EXPECT_EQ(hand->text, "Sopa (hand)");
  EXPECT_TRUE(hand->from_hand);
  EXPECT_EQ(Recall(doc, &mine, 2, 5, "English", "Espanol", "Bread"), std::nullopt);
}

// A menu of PLUs, a title line, a note line and a group title, English in column 2.
MenuDocument SmallMenu() {
  MenuDocument doc;
  ApplyDefaultLanguageNames(doc);
  const char* dishes[] = {"Soup", "Fish", "Soup", "Cake", "Wine"};
  for (int i = 0; i < 5; ++i) {
    AppendPlu(doc, std::to_string(i + 1), "1.00", std::string("P") + dishes[i]);
    doc.Lang(i + 1, 2) = dishes[i];
  }
  doc.LineLayout[3].Kind = kKindTitle;
  doc.LineLayout[3].Text = "Sopas";
  doc.Lang(kLangRowLineText + 3, 2) = "Soups";
  doc.LineLayout[4].Kind = kKindNote;
  doc.LineLayout[4].Text = "Nota";
  doc.Lang(kLangRowLineText + 4, 2) = "Hot";
  doc.LineLayout[30].TitleText = "Doces";
  doc.Lang(kLangRowTitleText + 30, 2) = "Sweets";
  doc.Lang(4, 5) = "Tarta";  // filled already
  return doc;
}

TEST(MenuTranslation, EveryTextOnceEditsMadeMeanwhileWinAndTheSecondRunIsAllMemory) {
  test::TempFolder folder;
  FakeLibreTranslate server;
  server.special["Wine"] = {500, R"({"error":"Wine is out"})"};
  auto translator = MakeTranslator({ServiceKind::kLibreTranslate, server.Base(), ""}, Quick());
  TranslationMemory memory(folder / "memory.txt");
  MenuDocument doc = SmallMenu();

  MenuTranslationPlan plan;
  ASSERT_EQ(PlanMenuTranslation(doc, &memory, *translator, {2, {3, 5}, false}, plan), "");
  // 8 texts into 2 columns, one cell filled already, "Soup" twice.
  EXPECT_EQ(plan.left_alone, 1);
  EXPECT_EQ(plan.cells.size(), 15u);
  EXPECT_EQ(plan.jobs.size(), 13u);
  MenuTranslationProgress progress;
  RunMenuTranslation(plan, *translator, progress);
  EXPECT_EQ(progress.done, 13);
  doc.Lang(2, 3) = "Pesce (typed meanwhile)";
  MenuTranslationReport report = ApplyMenuTranslation(doc, &memory, plan);
  EXPECT_EQ(report.Text(),
            "Translated: 10, reused: 2, failed: 2, left alone: 2.\n"
            "The translation service at " +
                server.Base() + " answered 500: Wine is out");
  EXPECT_EQ(doc.Lang(1, 3), "it:Soup");
  EXPECT_EQ(doc.Lang(3, 3), "it:Soup");
  EXPECT_EQ(doc.Lang(3, 5), "es:Soup");
  EXPECT_EQ(doc.Lang(2, 3), "Pesce (typed meanwhile)");
  EXPECT_EQ(doc.Lang(4, 5), "Tarta");
  EXPECT_EQ(doc.Lang(4, 3), "it:Cake");
  EXPECT_EQ(doc.Lang(5, 3), "") << "a failure writes nothing";
  EXPECT_EQ(doc.Lang(kLangRowLineText + 3, 5), "es:Soups");
  EXPECT_EQ(doc.Lang(kLangRowLineText + 4, 3), "it:Hot");
  EXPECT_EQ(doc.Lang(kLangRowTitleText + 30, 5), "es:Sweets");
  EXPECT_EQ(doc.Lang(0, 3), "Italiano") << "the names are not texts";
  EXPECT_EQ(server.Bodies().size(), 13u);

  // Translated again from scratch, everything the service said comes from the memory.
  MenuDocument again = SmallMenu();
  again.Lang(4, 5) = "";
  ASSERT_EQ(PlanMenuTranslation(again, &memory, *translator, {2, {3, 5}, true}, plan), "");
  // Asked again: the two that failed, and the two whose cells were left alone.
  EXPECT_EQ(plan.jobs.size(), 4u);
  RunMenuTranslation(plan, *translator, progress);
  report = ApplyMenuTranslation(again, &memory, plan);
  EXPECT_EQ(report.reused, 12);
  EXPECT_EQ(report.translated, 2);
  EXPECT_EQ(report.failed, 2);
  EXPECT_EQ(again.Lang(2, 3), "it:Fish");

  // Names the service refuses stop it before anything is sent, and so does column 1 as a target.
  doc.Lang(0, 4) = "Note!";
  EXPECT_EQ(PlanMenuTranslation(doc, &memory, *translator, {2, {4}, false}, plan),
            UnknownLanguageMessage("Note!"));
  EXPECT_EQ(PlanMenuTranslation(doc, &memory, *translator, {2, {1}, false}, plan),
            kMainColumnNotTranslatedMessage);
}

TEST(MenuTranslation, AServiceThatCannotBeReachedIsAskedOnce) {
  auto translator = MakeTranslator({ServiceKind::kLibreTranslate, "http://127.0.0.1:1", ""}, Quick());
  MenuDocument doc = SmallMenu();
  MenuTranslationPlan plan;
  ASSERT_EQ(PlanMenuTranslation(doc, nullptr, *translator, {2, {3}, false}, plan), "");
  MenuTranslationProgress progress;
  RunMenuTranslation(plan, *translator, progress, 1);
  MenuTranslationReport report = ApplyMenuTranslation(doc, nullptr, plan);
  EXPECT_EQ(report.translated, 0);
  EXPECT_EQ(report.failed, 8);
  ASSERT_EQ(report.messages.size(), 1u);
  EXPECT_NE(report.messages[0].find("cannot be reached"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
