// Saves killed at every write, rename and removal they make, and saves racing each other, as the real
// `tabulo` program does them: whatever happens, the next read finds the old project or the new one, byte
// for byte, never a mix.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "designer/document/catalogue_lookup.h"
#include "designer/storage/project_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;
using FileSet = std::map<std::string, std::string>;

bool IsTemporary(const std::string& name) {
  return name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0;
}

// The project files of a folder with their bytes; temporary files of an unfinished save are not the
// project's and are listed apart.
FileSet ProjectFiles(const std::string& folder, std::vector<std::string>* temporaries = nullptr) {
  FileSet files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (IsTemporary(name)) {
      if (temporaries) temporaries->push_back(name);
      continue;
    }
    files[name] = test::ReadFile(entry.path().string());
  }
  return files;
}

void PutFiles(const std::string& folder, const FileSet& files) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const auto& [name, bytes] : files) test::WriteFile(folder + "/" + name, bytes);
}

// Two menus that differ in every data file and every page.
std::unique_ptr<MenuDocument> Menu(const std::string& flavour, int plus) {
  auto doc = std::make_unique<MenuDocument>();
  ResetDocument(*doc);
  for (int i = 1; i <= plus; ++i) {
    AppendPlu(*doc, std::to_string(i), std::to_string(i) + ".50", flavour + " dish " + std::to_string(i));
    doc->Lang(i, 2) = flavour + " translated " + std::to_string(i);
  }
  for (int p = 1; p <= kPages; ++p) doc->Botoes[SlotOf(p, 0)] = p;
  doc->ModifierDefs[0].Name = flavour + " sauces";
  doc->ModifierDefs[0].PluCode[0] = 1;
  doc->ModifierDefs[0].Count = 1;
  doc->NumModifierDefs = 1;
  doc->Modifiers[0].Name = flavour + " dish 2";
  doc->Modifiers[0].NumLevels = 1;
  doc->Modifiers[0].LevelName[0] = flavour + " sauces";
  doc->Modifiers[0].Maximo[0] = 1;
  doc->NumModifiers = 1;
  doc->LineLayout[1].Text = flavour + " title";
  doc->LineLayout[1].Kind = kKindTitle;
  doc->Currency = flavour;
  doc->PagesVersion = flavour == "Old" ? "0" : "1";
  return doc;
}

class SaveCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_ / "old");
    fs::create_directories(folder_ / "new");
    ASSERT_TRUE(SaveProjectAs(*Menu("Old", 40), folder_ / "old/menu.TB1").ok);
    ASSERT_TRUE(SaveProjectAs(*Menu("New", 60), folder_ / "new/menu.TB1").ok);
    old_ = ProjectFiles(folder_ / "old");
    new_ = ProjectFiles(folder_ / "new");
    ASSERT_EQ(old_.size(), 37u) << "the project file, 8 data files and 28 page files";
  }

  std::string Tabulo() { return test::BuiltProgram("tabulo"); }
  std::string Destination() { return folder_ / "dest/menu.TB1"; }

  // `tabulo save-as` of the new project over the destination under strace, killed as it enters its `n`th
  // call of `calls`. A leak checker cannot work in a traced program, so a sanitized build runs without.
  test::ProgramRun Killed(const std::string& calls, int n) {
    return test::RunProgram(
        "/usr/bin/strace",
        {"-f", "-o", "/dev/null", "-E", "ASAN_OPTIONS=detect_leaks=0", "-e", "trace=" + calls, "-e",
         "inject=" + calls + ":signal=SIGKILL:when=" + std::to_string(n), Tabulo(), "save-as",
         folder_ / "new/menu.TB1", Destination()});
  }

  // What the next reader finds: another program reads the project (completing an interrupted save), then
  // the folder must hold the old set or the new one.
  void ExpectOldOrNew(const std::string& when) {
    test::ProgramRun read = test::RunProgram(Tabulo(), {"info", Destination()});
    ASSERT_EQ(read.exit_code, 0) << when << ": " << read.err;
    FileSet found = ProjectFiles(folder_ / "dest");
    const bool old_whole = found == old_;
    const bool new_whole = found == new_;
    EXPECT_TRUE(old_whole || new_whole) << when << ": the project is a mix of two saves";
    EXPECT_NE(read.out.find(new_whole ? "PLUs: 60" : "PLUs: 40"), std::string::npos) << when << read.out;
  }

  test::TempFolder folder_;
  FileSet old_, new_;
};

TEST_F(SaveCrash, AKillAtAnyWriteRenameOrRemovalLeavesTheOldOrTheNewProject) {
  // strace delivers SIGKILL as the save enters its Nth call of each kind, for every N the save reaches.
  int kills = 0;
  bool saw_new = false, saw_old = false;
  for (const char* calls : {"write", "rename,renameat,renameat2", "unlink,unlinkat"}) {
    for (int n = 1;; ++n) {
      PutFiles(folder_ / "dest", old_);
      test::ProgramRun save = Killed(calls, n);
      const std::string when = std::string(calls) + " #" + std::to_string(n);
      if (save.exit_code == 0) {
        // The save made fewer such calls: it ran to its end.
        EXPECT_EQ(ProjectFiles(folder_ / "dest"), new_) << when;
        break;
      }
      ASSERT_EQ(save.exit_code, 128 + 9) << when << ": " << save.err;
      ++kills;
      ExpectOldOrNew("killed at " + when);
      (ProjectFiles(folder_ / "dest") == new_ ? saw_new : saw_old) = true;
      if (HasFatalFailure() || n > 200) return;
    }
  }
  EXPECT_GT(kills, 70) << "every file's write and rename was a kill point";
  EXPECT_TRUE(saw_old && saw_new) << "kills before and after the commit point";

  // The next save clears what the killed one left behind.
  PutFiles(folder_ / "dest", old_);
  Killed("write", 20);
  std::vector<std::string> leftovers;
  ProjectFiles(folder_ / "dest", &leftovers);
  EXPECT_FALSE(leftovers.empty());
  ASSERT_EQ(test::RunProgram(Tabulo(), {"save-as", folder_ / "old/menu.TB1", Destination()}).exit_code, 0);
  leftovers.clear();
  EXPECT_EQ(ProjectFiles(folder_ / "dest", &leftovers), old_);
  EXPECT_TRUE(leftovers.empty());
}

TEST_F(SaveCrash, TwoSavesOfOneProjectAtOnceGiveOneOfThemWhole) {
  for (int round = 0; round < 20; ++round) {
    fs::remove_all(folder_ / "dest");
    fs::create_directories(folder_ / "dest");
    test::ProgramRun first, second;
    std::thread a([&] {
      first = test::RunProgram(Tabulo(), {"save-as", folder_ / "old/menu.TB1", Destination()});
    });
    std::thread b([&] {
      second = test::RunProgram(Tabulo(), {"save-as", folder_ / "new/menu.TB1", Destination()});
    });
    a.join();
    b.join();
    ASSERT_EQ(first.exit_code, 0) << first.err;
    ASSERT_EQ(second.exit_code, 0) << second.err;
    std::vector<std::string> leftovers;
    FileSet found = ProjectFiles(folder_ / "dest", &leftovers);
    EXPECT_TRUE(found == old_ || found == new_) << "round " << round << ": the two saves mixed";
    EXPECT_TRUE(leftovers.empty());
  }
}

}  // namespace
}  // namespace tabulo
