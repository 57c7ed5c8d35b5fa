// Writing projects: a full menu survives a write and a read, and a failed save never tears what was there.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
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

// Every file of a folder with its content.
std::map<std::string, std::string> FilesIn(const test::TempFolder& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    files[entry.path().filename().string()] = test::ReadFile(entry.path().string());
  }
  return files;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(ProjectWriter, AFailedSaveLeavesTheOldProjectWholeAndNothingBehind) {
  test::TempFolder folder;
  auto old_menu = std::make_unique<MenuDocument>();
  AppendPlu(*old_menu, "1", "1", "Old soup");
  ASSERT_TRUE(SaveProjectAs(*old_menu, folder / "menu.TB1").ok);
  const auto old_files = FilesIn(folder);
  auto new_menu = test::FullMenu();

  // The disk fills up in the middle of the set: a file size limit refuses the large files.
  struct rlimit limit {};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  struct rlimit small = limit;
  small.rlim_cur = 64 * 1024;
  auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  WriteReport report = SaveProjectAs(*new_menu, folder / "menu.TB1");
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_FALSE(report.ok);
  EXPECT_FALSE(report.error.empty());
  EXPECT_EQ(FilesIn(folder), old_files) << "no file replaced, no temporary file left behind";

  // A read-only file of the project is the user's: the save is refused, nothing is replaced.
  ::chmod((folder / "menu_Layout.txt").c_str(), 0444);
  report = SaveProjectAs(*new_menu, folder / "menu.TB1");
  EXPECT_FALSE(report.ok);
  EXPECT_EQ(report.failed_path, folder / "menu_Layout.txt");
  EXPECT_NE(report.error.find("read-only"), std::string::npos) << report.error;
  EXPECT_EQ(FilesIn(folder), old_files);
  EXPECT_EQ(ModeOf(folder / "menu_Layout.txt"), 0444u);
}

TEST(ProjectWriter, ASaveNeverWritesThroughALinkAndKeepsEachFilesMode) {
  test::TempFolder folder;
  auto old_menu = std::make_unique<MenuDocument>();
  AppendPlu(*old_menu, "1", "1", "Old soup");
  ASSERT_TRUE(SaveProjectAs(*old_menu, folder / "menu.TB1").ok);
  ::chmod((folder / "menu_pludata.txt").c_str(), 0600);
  ::chmod((folder / "menu.TB1").c_str(), 0640);

  // Links planted where temporary files used to go, and one in place of a data file.
  test::WriteFile(folder / "victim.txt", "precious");
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    if (entry.path().filename() != "victim.txt") {
      fs::create_symlink(folder / "victim.txt", entry.path().string() + ".part");
    }
  }
  fs::remove(folder / "menu_PagesVersion.txt");
  fs::create_symlink(folder / "victim.txt", folder / "menu_PagesVersion.txt");

  auto new_menu = std::make_unique<MenuDocument>();
  AppendPlu(*new_menu, "2", "2", "New soup");
  new_menu->PagesVersion = "1";
  ASSERT_TRUE(SaveProjectAs(*new_menu, folder / "menu.TB1").ok);
  EXPECT_EQ(test::ReadFile(folder / "victim.txt"), "precious");
  EXPECT_FALSE(fs::is_symlink(folder / "menu_PagesVersion.txt")) << "the link is replaced, not followed";
  EXPECT_EQ(test::ReadFile(folder / "menu_PagesVersion.txt"), "1\r\n");
  EXPECT_EQ(ModeOf(folder / "menu_pludata.txt"), 0600u);
  EXPECT_EQ(ModeOf(folder / "menu.TB1"), 0640u);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(ModeOf(folder / "menu_Languages.txt"), 0666u & ~mask) << "a new file as the user's umask wants";
  auto read = std::make_unique<MenuDocument>();
  LoadProject(*read, folder / "menu.TB1");
  EXPECT_EQ(read->PluDescription[0], "New soup");
}

TEST(ProjectWriter, AProjectOpenedThroughALinkIsReadAndSavedWhereItLies) {
  test::TempFolder folder;
  fs::create_directory(folder / "real");
  auto menu = std::make_unique<MenuDocument>();
  AppendPlu(*menu, "1", "1.50", "Soup");
  ASSERT_TRUE(SaveProjectAs(*menu, folder / "real/menu.TB1").ok);
  fs::create_symlink(folder / "real/menu.TB1", folder / "link.TB1");

  auto read = std::make_unique<MenuDocument>();
  ReadReport report = LoadProject(*read, folder / "link.TB1");
  EXPECT_TRUE(report.issues.empty());
  EXPECT_EQ(read->NumPlus, 1);
  EXPECT_EQ(read->PluDescription[0], "Soup");

  read->PluDescription[0] = "Soup of the day";
  ASSERT_TRUE(SaveProjectAs(*read, folder / "link.TB1").ok);
  EXPECT_TRUE(fs::is_symlink(folder / "link.TB1")) << "the link is kept";
  EXPECT_FALSE(fs::exists(folder / "link_pludata.txt"));
  EXPECT_NE(test::ReadFile(folder / "real/menu_pludata.txt").find("Soup of the day"), std::string::npos);
}

TEST(ProjectWriter, DataFilesNamedInAnotherLetterCaseAreFound) {
  // Copied from Windows: the project file "Menu.TB1" beside data files "menu_*.txt".
  test::TempFolder folder;
  auto menu = std::make_unique<MenuDocument>();
  AppendPlu(*menu, "1", "1.50", "Soup");
  menu->Botoes[0] = 1;
  ASSERT_TRUE(SaveProjectAs(*menu, folder / "menu.TB1").ok);
  fs::rename(folder / "menu.TB1", folder / "Menu.TB1");
  fs::rename(folder / "menu_botoes.txt", folder / "MENU_BOTOES.TXT");

  auto read = std::make_unique<MenuDocument>();
  ReadReport report = LoadProject(*read, folder / "Menu.TB1");
  EXPECT_TRUE(report.issues.empty());
  EXPECT_EQ(read->PluDescription[0], "Soup");
  EXPECT_EQ(read->Botoes[0], 1);
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
