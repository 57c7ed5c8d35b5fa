// Writing projects: a full menu survives a write and a read, and a failed save never tears what was there.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

TEST(ProjectWriter, FullMenuRoundTrip) {
  test::TempFolder folder;
  auto written = test::FullMenu();
  written->Modifiers[4].Minimo[0] = 12;  // the file keeps one digit
  written->ModifierDefs[0].PluDesc[0] = "stale description";
  written->LineLayout[5].Reserved = 3;
  ASSERT_TRUE(SaveProjectAs(*written, folder / "full.TB1").ok);

  auto read = std::make_unique<MenuDocument>();
  ReadReport report = LoadProject(*read, folder / "full.TB1");
  EXPECT_TRUE(report.issues.empty());

  // What the format does not keep.
  MenuDocument& expected = *written;
  expected.Modifiers[4].Minimo[0] = 2;
  expected.ModifierDefs[0].PluDesc[0] = expected.PluDescription[0];
  expected.LineLayout[5].Reserved = 0;
  for (int s = kLayoutSlots; s < kLineSlots; ++s) expected.LineLayout[s] = LineLayoutRecord{};
  EXPECT_EQ(read->Botoes[335], expected.Botoes[335]) << "line slots beyond the layout file are kept";
  EXPECT_EQ(read->Lang(kLangRowLineText + 320, 2), expected.Lang(kLangRowLineText + 320, 2));
  EXPECT_EQ(*read, expected);
}

TEST(ProjectWriter, FileFormsAndExports) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  ResetDocument(*doc);
  doc->PluNumber[0] = "7";
  doc->PluPrice[0] = "1.00";
  doc->PluDescription[0] = "First seven";
  doc->PluNumber[1] = "7";
  doc->PluPrice[1] = "2.00";
  doc->PluDescription[1] = "Second seven";
  doc->NumPlus = 2;
  doc->Botoes[SlotOf(2, 3)] = 7;
  doc->Botoes[SlotOf(2, 4)] = 99;
  doc->Botoes[SlotOf(2, 5)] = -4;
  doc->Modifiers[0].Name = "Steak";
  doc->Modifiers[0].NumLevels = 1;
  doc->Modifiers[0].LevelName[0] = "Sauces";
  doc->Modifiers[0].Minimo[0] = 2;
  doc->Modifiers[0].Default[0] = -1;
  doc->NumModifiers = 1;
  doc->ProjectBase = folder / "m";
  ASSERT_TRUE(WriteProjectFiles(*doc).ok);

  auto empty_lines = [](int n) {
    std::string lines;
    for (int i = 0; i < n; ++i) lines += "\r\n";
    return lines;
  };
  // Line 3 shows the LAST entry numbered 7; unknown and non-positive numbers show empty lines.
  EXPECT_EQ(test::ReadFile(folder / "m_Page_Description_2.txt"),
            empty_lines(3) + "Second seven" + empty_lines(21));
  EXPECT_EQ(test::ReadFile(folder / "m_Page_Price_2.txt"), empty_lines(3) + "2.00" + empty_lines(21));
  EXPECT_EQ(test::ReadFile(folder / "m_Page_Description_1.txt"), empty_lines(24));
  std::string botoes = test::ReadFile(folder / "m_botoes.txt");
  EXPECT_EQ(botoes.substr(0, 11), "- Page  0\r\n");
  EXPECT_NE(botoes.find("- Page  13\r\n"), std::string::npos);
  EXPECT_NE(botoes.find("\r\n 7\r\n 99\r\n0\r\n"), std::string::npos) << "numbers below 1 are written as 0";
  EXPECT_EQ(test::ReadFile(folder / "m_modifiers.txt"), "Steak\r\nSauces\r\nminimo  2\r\ndefault -1\r\n\r\n");
  EXPECT_EQ(test::ReadFile(folder / "m_printer.txt").substr(0, 20), " 47 \r\n 165 \r\n 59 \r\n\x80");
  EXPECT_EQ(test::ReadFile(folder / "m_PagesVersion.txt"), "1\r\n");
}

TEST(ProjectWriter, ALineBreakInsideAValueCannotShiftTheFile) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  AppendPlu(*doc, "1", "2.50", "Soup\r\nof the day");
  doc->Lang(1, 2) = "Soup\nof the day";
  ASSERT_TRUE(SaveProjectAs(*doc, folder / "m.TB1").ok);
  auto read = std::make_unique<MenuDocument>();
  LoadProject(*read, folder / "m.TB1");
  EXPECT_EQ(read->PluDescription[0], "Soup  of the day");
  EXPECT_EQ(read->Lang(1, 2), "Soup of the day");
  EXPECT_EQ(read->Lang(2, 1), "") << "the rows after it stay in place";
}

TEST(ProjectWriter, ACommaBeforeTheDescriptionCannotShiftTheCatalogue) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  AppendPlu(*doc, "1", "2,50", "Soup, hot");
  ASSERT_TRUE(SaveProjectAs(*doc, folder / "m.TB1").ok);
  auto read = std::make_unique<MenuDocument>();
  LoadProject(*read, folder / "m.TB1");
  EXPECT_EQ(read->PluPrice[0], "2.50");
  EXPECT_EQ(read->PluDescription[0], "Soup, hot");
}

TEST(ProjectWriter, PathRules) {
  EXPECT_EQ(ProjectBaseOf("/d/menu.TB1"), "/d/menu");
  EXPECT_EQ(ProjectFolderOf("/d/menu.TB1"), "/d/");
  EXPECT_EQ(ProjectBaseOf("/d/menu2"), "/d/menu2");
  EXPECT_EQ(ProjectBaseOf("/a.b/menu"), "/a.b/menu") << "a dot in a folder name is no extension";
  EXPECT_EQ(ProjectBaseOf("C:\\a.b\\menu"), "C:\\a.b\\menu");
  EXPECT_EQ(ProjectBaseOf("/d/menu.v2.TB1"), "/d/menu.v2");
  EXPECT_EQ(ProjectFolderOf("C:\\velt\\menu.TB1"), "C:\\velt\\");
  EXPECT_EQ(ProjectFolderOf("menu.TB1"), "");
}

TEST(ProjectWriter, SaveWithoutExtensionAddsTheProjectFile) {
  test::TempFolder folder;
  auto doc = test::FullMenu();
  ASSERT_TRUE(SaveProjectAs(*doc, folder / "menu2").ok);
  EXPECT_EQ(test::ReadFile(folder / "menu2.TB1"), "OK\r\n");
  EXPECT_TRUE(fs::exists(folder / "menu2_Languages.txt"));
  EXPECT_EQ(doc->ProjectBase, folder / "menu2");
  EXPECT_EQ(doc->ProjectFolder, folder.Path() + "/");
}

TEST(ProjectWriter, AFailedSaveLeavesTheOldProjectWhole) {
  test::TempFolder folder;
  auto old_menu = std::make_unique<MenuDocument>();
  AppendPlu(*old_menu, "1", "1", "Old soup");
  ASSERT_TRUE(SaveProjectAs(*old_menu, folder / "menu.TB1").ok);
  std::string old_plu = test::ReadFile(folder / "menu_pludata.txt");

  // One file of the set cannot be written: its temporary name is taken by a folder.
  fs::create_directory(folder / "menu_Layout.txt.part");
  auto new_menu = test::FullMenu();
  WriteReport report = SaveProjectAs(*new_menu, folder / "menu.TB1");
  EXPECT_FALSE(report.ok);
  EXPECT_EQ(report.failed_path, folder / "menu_Layout.txt");
  EXPECT_FALSE(report.error.empty());
  EXPECT_EQ(test::ReadFile(folder / "menu_pludata.txt"), old_plu)
      << "files written before the failure stay unused";
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "menu_Layout.txt.part" || name.find(".part") == std::string::npos)
        << name << " left behind";
  }
}

// Root writes into read-only folders. For its lifetime the calling thread gives up that override (it stays in
// the permitted set, so it is taken back at the end); a user without it changes nothing.
class WithoutPermissionOverride {
 public:
  WithoutPermissionOverride() {
    ::syscall(SYS_capget, &header_, saved_);
    __user_cap_data_struct dropped[2] = {saved_[0], saved_[1]};
    dropped[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &header_, dropped);
  }
  ~WithoutPermissionOverride() { ::syscall(SYS_capset, &header_, saved_); }
  WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
  WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2] = {};
};

TEST(ProjectWriter, AnUnwritableFolderIsReported) {
  test::TempFolder folder;
  ::chmod(folder.Path().c_str(), 0555);
  WithoutPermissionOverride as_a_user;
  auto doc = std::make_unique<MenuDocument>();
  WriteReport report = SaveProjectAs(*doc, folder / "menu.TB1");
  EXPECT_FALSE(report.ok);
  EXPECT_EQ(report.failed_path, folder / "menu.TB1");
}

TEST(ProjectWriter, AMissingFolderIsReported) {
  test::TempFolder folder;
  auto doc = std::make_unique<MenuDocument>();
  doc->ProjectBase = folder / "no/such/folder/menu";
  WriteReport report = WriteProjectFiles(*doc);
  EXPECT_FALSE(report.ok);
  EXPECT_NE(report.failed_path.find("no/such/folder/menu_"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
