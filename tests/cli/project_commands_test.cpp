// The project commands of `tabulo`, run as a user runs them.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

const std::string kFull = std::string(TABULO_FIXTURES) + "/projects/full/menu.TB1";
const std::string kSmall = std::string(TABULO_FIXTURES) + "/projects/small/menu.TB1";

test::ProgramRun Tabulo(const std::vector<std::string>& args) {
  return test::RunProgram(test::BuiltProgram("tabulo"), args);
}

TEST(TabuloInfo, JsonDescribesTheProject) {
  test::ProgramRun run = Tabulo({"info", kFull, "--json"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  auto info = nlohmann::json::parse(run.out);
  EXPECT_EQ(info["plus"], 43);
  EXPECT_EQ(info["languages"], nlohmann::json({"Portugues", "English", "Italiano", "Frances", "Espanol"}));
  EXPECT_EQ(info["modifiers"], 3);
  EXPECT_EQ(info["definitions"], 3);
  EXPECT_EQ(info["pages_version"], "0");
  std::vector<int> pages = info["pages_used"];
  EXPECT_EQ(pages, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));

  test::ProgramRun text = Tabulo({"info", std::string(TABULO_FIXTURES) + "/projects/small/menu.TB1"});
  ASSERT_EQ(text.exit_code, 0);
  EXPECT_NE(text.out.find("PLUs: 3\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Pages in use: 1\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("Lettering: fixed"), std::string::npos) << text.out;
}

TEST(TabuloCheck, ListsWhatTheReaderSkipped) {
  // The full project reads without a fault but holds a modifier level with a default over its maximum.
  EXPECT_EQ(Tabulo({"check", kSmall}).exit_code, 0);

  test::TempFolder folder;
  for (const auto& entry : fs::directory_iterator(fs::path(kFull).parent_path())) {
    fs::copy_file(entry.path(), folder / entry.path().filename().string());
  }
  test::WriteFile(folder / "menu_botoes.txt", "- Page  0\r\n 1\r\nabc\r\n");
  fs::remove(folder / "menu_PagesVersion.txt");
  test::ProgramRun run = Tabulo({"check", folder / "menu.TB1"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("menu_botoes.txt:3: not a number"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("menu_PagesVersion.txt: file missing"), std::string::npos) << run.out;
}

TEST(TabuloCheck, ReportsModifiersATerminalWouldTripOver) {
  test::ProgramRun full = Tabulo({"check", kFull});
  EXPECT_EQ(full.exit_code, 1);
  EXPECT_EQ(full.out,
            "modifiers: \"Dish 2, with sauce\" level 1 (\"Sides\"): 1 default choice but a maximum of 0\n"
            "catalogue: catalogue entry 41 (PLU \"7\"): the number is used by catalogue entry 7 too\n"
            "catalogue: catalogue entry 43 (PLU \"12.5\"): the number is not a whole number from 1 to 9999\n"
            "catalogue: catalogue entry 43 (PLU \"12.5\"): the price \"abc\" is not a number\n");

  test::TempFolder folder;
  for (const auto& entry : fs::directory_iterator(fs::path(kSmall).parent_path())) {
    fs::copy_file(entry.path(), folder / entry.path().filename().string());
  }
  test::WriteFile(folder / "menu_modifiers.txt",
                  "Steak, well done\r\nSides\r\nminimo  3\r\nmaximo  2\r\nDrinks\r\n\r\n");
  test::WriteFile(folder / "menu_modifiers_definitions.txt", "Sides\r\n 3 \r\n 44 \r\n\r\n");
  const std::string before = test::ReadFile(folder / "menu_modifiers.txt");
  test::ProgramRun run = Tabulo({"check", folder / "menu.TB1"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(
      run.out.find("menu_modifiers_definitions.txt:3: member PLU 44 is not in the catalogue\n"
                   "modifiers: \"Steak, well done\" level 1 (\"Sides\"): minimum 3 is above maximum 2\n"
                   "modifiers: \"Steak, well done\" level 2 (\"Drinks\"): names no modifier definition\n"
                   "modifiers: definition \"Sides\" member 2: PLU 44 is not in the catalogue\n"),
      std::string::npos)
      << run.out;
  EXPECT_EQ(test::ReadFile(folder / "menu_modifiers.txt"), before) << "check changes nothing";
}

TEST(TabuloCheck, ReadsPastANamelessDefinitionAndListsIt) {
  test::TempFolder folder;
  for (const auto& entry : fs::directory_iterator(fs::path(kSmall).parent_path())) {
    fs::copy_file(entry.path(), folder / entry.path().filename().string());
  }
  // As a cancelled " New Modifier" box left it: a definition without a name between two others.
  test::WriteFile(folder / "menu_modifiers_definitions.txt",
                  "Sides\r\n 3 \r\n\r\n\r\n 1 \r\n\r\nDrinks\r\n 2 \r\n\r\n");
  test::WriteFile(folder / "menu_modifiers.txt", "");
  test::ProgramRun run = Tabulo({"check", folder / "menu.TB1"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("menu_modifiers_definitions.txt:4: a modifier definition without a name"),
            std::string::npos)
      << run.out;
  auto info = nlohmann::json::parse(Tabulo({"info", folder / "menu.TB1", "--json"}).out);
  EXPECT_EQ(info["definitions"], 2) << "the definition after it is read";
}

TEST(TabuloSaveAs, RefusesAReadOnlyProjectFile) {
  test::TempFolder folder;
  ASSERT_EQ(Tabulo({"save-as", kSmall, folder / "menu.TB1"}).exit_code, 0);
  const std::string before = test::ReadFile(folder / "menu_pludata.txt");
  fs::permissions(folder / "menu_pludata.txt", fs::perms::owner_read | fs::perms::group_read);
  test::ProgramRun run = Tabulo({"save-as", kFull, folder / "menu.TB1"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("menu_pludata.txt: the file is read-only"), std::string::npos) << run.err;
  EXPECT_EQ(test::ReadFile(folder / "menu_pludata.txt"), before);
}

TEST(TabuloSaveAs, WritesTheSameProjectElsewhere) {
  test::TempFolder folder;
  test::ProgramRun run = Tabulo({"save-as", kFull, folder / "copy.TB1"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  fs::path source = fs::path(kFull).parent_path();
  // Pictures named relative to the source folder are its files: the copy names them with their full path.
  auto pictures_from_source = [&](std::string text) {
    for (const char* picture : {"starters.jpg", "pic.png", "front1.jpg"}) {
      const std::string line = std::string("\r\n") + picture + "\r\n";
      for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        text.replace(at, line.size(), "\r\n" + source.string() + "/" + picture + "\r\n");
      }
    }
    return text;
  };
  for (const auto& entry : fs::directory_iterator(source)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("menu", 0) != 0) continue;
    std::string copy = folder / ("copy" + name.substr(4));
    EXPECT_EQ(test::ReadFile(copy), pictures_from_source(test::ReadFile(entry.path().string()))) << name;
  }
}

TEST(TabuloErrors, AreClearAndExitWithTwo) {
  test::TempFolder folder;
  test::ProgramRun missing = Tabulo({"save-as", folder / "none.TB1", folder / "out.TB1"});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_NE(missing.err.find("none.TB1"), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(folder / "out.TB1"));

  test::ProgramRun unwritable = Tabulo({"save-as", kFull, folder / "no/such/folder/out.TB1"});
  EXPECT_EQ(unwritable.exit_code, 2);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;

  EXPECT_EQ(Tabulo({"info"}).exit_code, 2);
  EXPECT_EQ(Tabulo({"frobnicate"}).exit_code, 2);
  EXPECT_EQ(Tabulo({}).exit_code, 2);
  test::ProgramRun help = Tabulo({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("save-as"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
