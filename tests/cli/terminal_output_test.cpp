// What `tabulo` writes for a terminal: texts from a project or a translation service that hold escape
// sequences are shown escaped, never written raw.

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/storage/project_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"
#include "tests/translate/fake_libretranslate.h"

namespace tabulo {
namespace {

// A title that clears the screen and renames the terminal window, as a hostile file might hold.
const std::string kHostile = "\x1b]0;owned\x07Ingl\xc3\xaas\x1b[2J";
const std::string kHostileShown = "\\x1b]0;owned\\x07Ingl\xc3\xaas\\x1b[2J";

bool HasControls(const std::string& text) {
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\n') || c == 0x7f) return true;
  }
  return text.find("\xc2\x9b") != std::string::npos;
}

TEST(TerminalOutput, ProjectTextsAndTranslationRepliesAreShownEscaped) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*doc);
  doc->Lang(0, 2) = kHostile;
  AppendPlu(*doc, "1",
            "\x1b[31m"
            "abc",
            "Sopa\x1b[8m");
  doc->Modifiers[0].Name = "Sopa\x1b[8m";
  doc->Modifiers[0].LevelName[0] = "Ponto\x1b[1A";
  doc->Modifiers[0].NumLevels = 1;
  doc->NumModifiers = 1;
  doc->PagesVersion = "\x1b[5m";
  const std::string project = folder / "menu.TB1";
  ASSERT_TRUE(SaveProjectAs(*doc, project).ok);
  const std::string tabulo = test::BuiltProgram("tabulo");

  test::ProgramRun info = test::RunProgram(tabulo, {"info", project});
  ASSERT_EQ(info.exit_code, 0) << info.err;
  EXPECT_FALSE(HasControls(info.out)) << info.out;
  EXPECT_NE(info.out.find("Languages: Portugues, " + kHostileShown + ", Italiano"), std::string::npos)
      << info.out;
  EXPECT_NE(
      info.out.find("Lettering: unknown scheme \"\\x1b[5m\" (pages are printed without plaque letters)"),
      std::string::npos)
      << info.out;
  // JSON escapes them its own way, and stays exact.
  test::ProgramRun json = test::RunProgram(tabulo, {"info", project, "--json"});
  EXPECT_FALSE(HasControls(json.out));
  EXPECT_EQ(nlohmann::json::parse(json.out)["languages"][1], kHostile);

  test::ProgramRun check = test::RunProgram(tabulo, {"check", project});
  EXPECT_EQ(check.exit_code, 1) << check.err;
  EXPECT_FALSE(HasControls(check.out)) << check.out;
  EXPECT_NE(check.out.find("\"Sopa\\x1b[8m\" level 1 (\"Ponto\\x1b[1A\"): names no modifier definition"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("the price \"\\x1b[31mabc\" is not a number"), std::string::npos) << check.out;

  test::FakeLibreTranslate service;
  service.special["Soup"] = {200, nlohmann::json{{"translatedText",
                                                  "Sopa\x1b[2J\xc2\x9b"
                                                  "2J\nde dia"}}
                                      .dump()};
  service.special["Fish"] = {500, nlohmann::json{{"error", "\x1b]0;owned\x07"}}.dump()};
  const std::vector<std::string> environment = {"VELT_HOME=" + folder.Path(), "TABULO_TRANSLATE_SERVICE=",
                                                "TABULO_TRANSLATE_URL=", "TABULO_TRANSLATE_KEY="};
  auto translate = [&](const std::string& text) {
    return test::RunProgram(tabulo,
                            {"translate", "--service", "libretranslate", "--url", service.Base(), "--from",
                             "English", "--to", "Espanol", text},
                            environment);
  };
  test::ProgramRun reply = translate("Soup");
  EXPECT_EQ(reply.exit_code, 0) << reply.err;
  EXPECT_EQ(reply.out, "Sopa\\x1b[2J\\u009b2J\nde dia\n") << "a line break stays one";
  test::ProgramRun refused = translate("Fish");
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_FALSE(HasControls(refused.err)) << refused.err;
}

TEST(TerminalOutput, ShownEscapesControlsAndBytesThatAreNotUtf8) {
  using cli::Shown;
  EXPECT_EQ(Shown("Caf\xc3\xa9 \xe2\x82\xac 12"), "Caf\xc3\xa9 \xe2\x82\xac 12");
  EXPECT_EQ(Shown("a\tb\r\nc\x7f"), "a\\x09b\\x0d\\x0ac\\x7f");
  EXPECT_EQ(Shown("a\r\nb", true), "a\\x0d\nb");
  EXPECT_EQ(Shown("\xc2\x9b"
                  "31m\xc2\x85"),
            "\\u009b31m\\u0085");
  // A lone CSI byte, a cut sequence, an overlong form and a surrogate are bytes, not characters.
  EXPECT_EQ(Shown("\x9b"
                  "31m"),
            "\\x9b31m");
  EXPECT_EQ(Shown("\xe2\x82"), "\\xe2\\x82");
  EXPECT_EQ(Shown("\xc0\x9b"), "\\xc0\\x9b");
  EXPECT_EQ(Shown("\xed\xa0\x80"), "\\xed\\xa0\\x80");
  EXPECT_EQ(Shown("\xf0\x9f\x8d\xb2"), "\xf0\x9f\x8d\xb2");
}

}  // namespace
}  // namespace tabulo
