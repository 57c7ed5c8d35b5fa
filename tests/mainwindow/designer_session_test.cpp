#include "designer/mainwindow/designer_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "designer/document/catalogue_lookup.h"
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

namespace fs = std::filesystem;

class DesignerSession : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("VELT_HOME", (home_ / "velt").c_str(), 1); }
  void TearDown() override { ::unsetenv("VELT_HOME"); }

  test::TempFolder home_;
  std::unique_ptr<MenuDocument> doc_ = std::make_unique<MenuDocument>();
};

TEST_F(DesignerSession, FirstStartCreatesTheFoldersAndOpensAnEmptyMenu) {
  ASSERT_FALSE(fs::exists(home_ / "velt"));
  StartDesigner(*doc_);
  EXPECT_TRUE(fs::is_directory(home_ / "velt/temp_velt"));
  EXPECT_EQ(doc_->NumPlus, 0);
  EXPECT_EQ(doc_->ProjectBase, home_ / "velt/temp_velt/temp");
  EXPECT_EQ(doc_->ProjectFolder, home_ / "velt/temp_velt/");
  EXPECT_EQ(doc_->MarginXPrice, 165) << "default settings";
}

TEST_F(DesignerSession, TheWorkCopyCarriesTheMenuToTheNextStart) {
  StartDesigner(*doc_);
  AppendPlu(*doc_, "4", "2.50", "Soup");
  doc_->Botoes[3] = 4;
  doc_->ProjectFolder = "/menus/";
  ASSERT_TRUE(WriteWorkCopy(*doc_).ok);
  EXPECT_EQ(doc_->ProjectFolder, "/menus/") << "bare picture names keep resolving against the project";

  auto next = std::make_unique<MenuDocument>();
  StartDesigner(*next);
  EXPECT_EQ(next->NumPlus, 1);
  EXPECT_EQ(next->PluDescription[0], "Soup");
  EXPECT_EQ(next->Botoes[3], 4);
}

// Pictures named relative to the project's folder are files of that folder: the work copy, read back with
// the work folder as its folder, names them with their full path; a project saved elsewhere names them from
// its own folder, relative when they lie below it.
TEST_F(DesignerSession, PicturesKeepTheirFilesThroughTheWorkCopyAndSaveAs) {
  StartDesigner(*doc_);
  test::TempFolder projects;
  const std::string summer = projects / "summer/";
  doc_->ProjectFolder = summer;
  doc_->PagePictureA[2] = "pics/front.jpg";
  doc_->LineLayout[5].TitlePicture = "group.jpg";
  doc_->PagePictureB[2] = "/elsewhere/back.jpg";
  ASSERT_TRUE(WriteWorkCopy(*doc_).ok);
  EXPECT_EQ(doc_->PagePictureA[2], "pics/front.jpg") << "the menu itself is left as it is";

  auto next = std::make_unique<MenuDocument>();
  StartDesigner(*next);
  EXPECT_EQ(next->PagePictureA[2], summer + "pics/front.jpg");
  EXPECT_EQ(next->LineLayout[5].TitlePicture, summer + "group.jpg");
  EXPECT_EQ(next->PagePictureB[2], "/elsewhere/back.jpg");

  ASSERT_TRUE(fs::create_directories(projects / "summer"));
  ASSERT_TRUE(SaveProject(*next, summer + "menu.TB1").ok);
  EXPECT_EQ(next->PagePictureA[2], "pics/front.jpg");
  EXPECT_EQ(next->LineLayout[5].TitlePicture, "group.jpg");
  ASSERT_TRUE(fs::create_directories(projects / "winter"));
  ASSERT_TRUE(SaveProject(*next, projects / "winter/menu.TB1").ok);
  EXPECT_EQ(next->PagePictureA[2], summer + "pics/front.jpg");
  EXPECT_EQ(next->PagePictureB[2], "/elsewhere/back.jpg");
}

TEST_F(DesignerSession, LoadAndSaveUnderChosenNames) {
  StartDesigner(*doc_);
  AppendPlu(*doc_, "4", "2.50", "Soup");
  test::TempFolder projects;
  ASSERT_TRUE(fs::create_directory(projects / "a.b"));
  ASSERT_TRUE(SaveProject(*doc_, projects / "a.b/menu2").ok);
  EXPECT_EQ(test::ReadFile(projects / "a.b/menu2.TB1"), "OK\r\n");
  EXPECT_TRUE(fs::exists(projects / "a.b/menu2_pludata.txt")) << "a dot in a folder name is no extension";
  EXPECT_EQ(doc_->ProjectBase, projects / "a.b/menu2");

  test::WriteFile(home_ / "velt/temp_velt/picture.png", "x");
  auto loaded = std::make_unique<MenuDocument>();
  StartDesigner(*loaded);
  AppendPlu(*loaded, "9", "", "Left over");
  OpenProject(*loaded, projects / "a.b/menu2.TB1");
  EXPECT_EQ(loaded->NumPlus, 1);
  EXPECT_EQ(loaded->PluDescription[0], "Soup");
  EXPECT_EQ(loaded->ProjectFolder, projects / "a.b/");
  EXPECT_FALSE(fs::exists(home_ / "velt/temp_velt/picture.png")) << "New empties the work folder";

  // The loaded project is not written by the work copy.
  std::string before = test::ReadFile(projects / "a.b/menu2_pludata.txt");
  AppendPlu(*loaded, "5", "", "Cake");
  ASSERT_TRUE(WriteWorkCopy(*loaded).ok);
  EXPECT_EQ(test::ReadFile(projects / "a.b/menu2_pludata.txt"), before);
}

TEST_F(DesignerSession, AFailedSaveNamesTheFile) {
  StartDesigner(*doc_);
  WriteReport report = SaveProject(*doc_, home_ / "no such folder/menu");
  ASSERT_FALSE(report.ok);
  std::string message = SaveFailureMessage(report);
  EXPECT_NE(message.find(home_ / "no such folder/menu"), std::string::npos) << message;
  EXPECT_NE(message.find("not saved"), std::string::npos);
}

TEST(DesignerCaption, VersionNumbersArePrecededByBlanks) {
  EXPECT_EQ(WindowCaption(), "Velt Tabulo 1. 0. 29 - ");
}

}  // namespace
}  // namespace tabulo
