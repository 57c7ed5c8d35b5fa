// Golden projects written straight from the file formats (tests/fixtures/projects/make_golden.py): reading
// one and saving it again must give the same bytes in every file.

#include <gtest/gtest.h>

#include <filesystem>

#include "designer/storage/project_files.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

void ExpectSameFiles(const std::string& expected_folder, const std::string& actual_folder) {
  size_t compared = 0;
  for (const auto& entry : fs::directory_iterator(expected_folder)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("menu", 0) != 0) continue;
    std::string expected = test::ReadFile(entry.path().string());
    std::string actual = test::ReadFile(actual_folder + "/" + name);
    ASSERT_TRUE(fs::exists(actual_folder + "/" + name)) << name;
    ASSERT_EQ(actual.size(), expected.size()) << name;
    EXPECT_TRUE(actual == expected)
        << name << " differs at byte "
        << std::distance(expected.begin(),
                         std::mismatch(expected.begin(), expected.end(), actual.begin()).first);
    ++compared;
  }
  EXPECT_EQ(compared, 37u) << "the project file, 8 data files and 28 export files";
  size_t written = std::distance(fs::directory_iterator(actual_folder), fs::directory_iterator());
  EXPECT_EQ(written, 37u) << "nothing else is left beside the project";
}

class GoldenProject : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenProject, SavesAgainByteForByte) {
  std::string source = std::string(TABULO_FIXTURES) + "/projects/" + GetParam();
  test::TempFolder out;
  // Read and saved in its own folder: saved elsewhere, pictures named relative to the folder would be
  // named from the new one.
  for (const auto& entry : fs::directory_iterator(source)) {
    fs::copy_file(entry.path(), out / entry.path().filename().string());
  }
  auto doc = std::make_unique<MenuDocument>();
  ReadReport read = LoadProject(*doc, out / "menu.TB1");
  EXPECT_TRUE(read.issues.empty()) << read.issues.front().file << ":" << read.issues.front().line << " "
                                   << read.issues.front().message;
  WriteReport written = SaveProjectAs(*doc, out / "menu.TB1");
  ASSERT_TRUE(written.ok) << written.failed_path << ": " << written.error;
  ExpectSameFiles(source, out.Path());
}

INSTANTIATE_TEST_SUITE_P(Projects, GoldenProject, ::testing::Values("small", "full"));

TEST(GoldenProject, FullProjectReadsAsWritten) {
  auto doc = std::make_unique<MenuDocument>();
  LoadProject(*doc, std::string(TABULO_FIXTURES) + "/projects/full/menu.TB1");
  EXPECT_EQ(doc->NumPlus, 43);
  EXPECT_EQ(doc->PluDescription[40], "Second seven");
  EXPECT_EQ(doc->PluField2[42], "x");
  EXPECT_FLOAT_EQ(doc->MarginXDescr, 47.5f);
  EXPECT_FLOAT_EQ(doc->MarginY, 0.5f);
  EXPECT_EQ(doc->Currency, "$");
  EXPECT_EQ(doc->StyleBackColor[kStyleTitle], "65280");
  EXPECT_EQ(doc->StyleBackColor[kStyleText], "255");
  EXPECT_EQ(doc->PrintLines, 0);
  EXPECT_EQ(doc->PageColorA[1], "255");
  EXPECT_EQ(doc->PageColorB[1], "");
  EXPECT_EQ(doc->PageColorA[2], "14745599");
  EXPECT_EQ(doc->PagePictureA[14], "C:\\velt\\pictures\\old.bmp");
  EXPECT_EQ(doc->NumModifiers, 3);
  EXPECT_EQ(doc->Modifiers[0].NumLevels, 2);
  EXPECT_EQ(doc->Modifiers[0].Obrigatorio[0], 1);
  EXPECT_EQ(doc->Modifiers[0].Minimo[0], 1);
  EXPECT_EQ(doc->Modifiers[0].Maximo[0], 2);
  EXPECT_EQ(doc->Modifiers[0].Default[0], 5);
  EXPECT_EQ(doc->Modifiers[1].Default[0], 2);
  EXPECT_EQ(doc->Modifiers[2].NumLevels, 0);
  EXPECT_EQ(doc->NumModifierDefs, 3);
  EXPECT_EQ(doc->ModifierDefs[0].Count, 3);
  EXPECT_EQ(doc->ModifierDefs[0].PluCode[2], 7);
  EXPECT_EQ(doc->ModifierDefs[0].PluDesc[2], "Dish 7, with sauce") << "the first entry numbered 7";
  EXPECT_EQ(doc->ModifierDefs[2].Count, 0);
  EXPECT_EQ(doc->Botoes[287], 7);
  EXPECT_EQ(doc->Botoes[335], 9);
  EXPECT_EQ(doc->LineLayout[2].Text, "Hot starters");
  EXPECT_EQ(doc->LineLayout[2].Kind, kKindTitle);
  EXPECT_EQ(doc->LineLayout[0].TitleMark, kTitleMarkStart);
  EXPECT_EQ(doc->LineLayout[312].TitlePicture, "pic.png");
  EXPECT_EQ(doc->Lang(1, 4), "\xd0\x91\xd0\xbe\xd1\x80\xd1\x89");
  EXPECT_EQ(doc->Lang(11336, 5), "last cell");
  EXPECT_EQ(doc->PagesVersion, "0");
  EXPECT_EQ(doc->ProjectFolder, std::string(TABULO_FIXTURES) + "/projects/full/");
}

}  // namespace
}  // namespace tabulo
