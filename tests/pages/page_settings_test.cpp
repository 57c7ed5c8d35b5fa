#include "designer/pages/page_settings.h"

#include <gtest/gtest.h>

#include <memory>

#include "designer/pages/page_view.h"
#include "designer/storage/picture_paths.h"

namespace tabulo {
namespace {

TEST(PageSettings, PicturesBelowTheProjectFolderAreStoredRelativeToIt) {
  EXPECT_EQ(StoredPicturePath("/menus/summer/back.jpg", "/menus/summer/"), "back.jpg");
  EXPECT_EQ(StoredPicturePath("C:\\menus\\summer\\back.JPG", "C:\\menus\\summer\\"), "back.JPG");
  EXPECT_EQ(StoredPicturePath("c:/menus/bar/pics/wine.jpg", "c:\\menus\\bar\\"), "pics/wine.jpg");
  EXPECT_EQ(StoredPicturePath("/menus/summer/img/back.jpg", "/menus/summer/"), "img/back.jpg");
  // Outside the folder, or in a folder whose name only starts like it: the full path.
  EXPECT_EQ(StoredPicturePath("/pictures/back.jpg", "/menus/summer/"), "/pictures/back.jpg");
  EXPECT_EQ(StoredPicturePath("/menus/summer2/back.jpg", "/menus/summer/"), "/menus/summer2/back.jpg");
  // No project yet: nothing to be relative to.
  EXPECT_EQ(StoredPicturePath("/pictures/back.jpg", ""), "/pictures/back.jpg");
  EXPECT_EQ(StoredPicturePath("/menus/summer/", "/menus/summer/"), "/menus/summer/");
}

TEST(PageSettings, SidesAreReadAsShownAndWrittenOnlyInsideTheTables) {
  auto doc = std::make_unique<MenuDocument>();
  EXPECT_EQ(SideColour(*doc, 3, kSideFront), kPageDefaultColor) << "an empty colour shows pale yellow";
  StoreSideColour(*doc, 3, kSideFront, 255);
  StoreSideColour(*doc, 3, kSideBack, 65280);
  StoreSidePicture(*doc, 3, kSideBack, "back.jpg");
  EXPECT_EQ(doc->PageColorA[3], "255");
  EXPECT_EQ(doc->PageColorB[3], "65280");
  EXPECT_EQ(SideColour(*doc, 3, kSideBack), 65280);
  EXPECT_EQ(SidePicture(*doc, 3, kSideBack), "back.jpg");
  EXPECT_EQ(doc->PagePictureA[3], "");

  doc->PageColorA[4] = "not a colour";
  EXPECT_EQ(SideColour(*doc, 4, kSideFront), kPageDefaultColor);

  for (auto [page, side] : {std::pair{0, 1}, {15, 1}, {3, 0}, {3, 3}}) {
    StoreSideColour(*doc, page, side, 1);
    StoreSidePicture(*doc, page, side, "x");
    EXPECT_EQ(SideColour(*doc, page, side), kPageDefaultColor);
    EXPECT_EQ(SidePicture(*doc, page, side), "");
  }
  EXPECT_EQ(doc->PageColorA[0], "");
  EXPECT_EQ(doc->PageColorA[3], "255");
}

TEST(PageSettings, StyleColoursFallBackToTheBuiltInOnes) {
  auto doc = std::make_unique<MenuDocument>();
  EXPECT_EQ(StyleColour(*doc, kStyleTitle, false), 16777215);
  EXPECT_EQ(StyleColour(*doc, kStyleText, true), 33023);
  StoreStyleColour(*doc, kStyleTitle, true, 255);
  StoreStyleColour(*doc, kStyleNote, false, 65280);
  EXPECT_EQ(doc->StyleBackColor[kStyleTitle], "255");
  EXPECT_EQ(doc->StyleForeColor[kStyleNote], "65280");
  EXPECT_EQ(StyleColour(*doc, kStyleTitle, true), 255);
  StoreStyleColour(*doc, 3, true, 1);
  EXPECT_EQ(doc->StyleBackColor[3], "") << "entry 3 is not a style";
  StoreDefaultPageColour(*doc, 123);
  EXPECT_EQ(doc->DefaultPageColor, "123");
  EXPECT_EQ(DefaultPageColour(*doc), 123);
}

}  // namespace
}  // namespace tabulo
