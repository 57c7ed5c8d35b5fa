// Building a menu by hand on the page grid, as a new user does: dishes typed on lines, prices typed first,
// names that were deleted before, a catalogue with the highest PLU number, and prices in the narrow layout.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <array>
#include <cstdlib>
#include <memory>

#include "designer/catalogue/catalogue_panel.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/mainwindow/main_window.h"
#include "designer/storage/project_files.h"
#include "platform/folders.h"
#include "tests/support/designer_test.h"

namespace tabulo {
namespace {

class PageTyping : public test::DesignerTest {
 protected:
  // Starts a designer over a work copy holding these catalogue entries (number, price, description).
  void Start(std::initializer_list<std::array<const char*, 3>> entries) {
    LeaveWorkCopy([&](MenuDocument& previous) {
      for (const auto& [number, price, description] : entries)
        AppendPlu(previous, number, price, description);
    });
    DesignerTest::Start();
  }

  QStringList CatalogueRows() {
    QStringList rows;
    QAbstractItemModel* table = Child<QTableView>("Lista_plus")->model();
    for (int j = 0; j < table->rowCount(); ++j)
      rows << table->index(j, CataloguePanel::kDescriptionColumn).data().toString();
    return rows;
  }
  static QRect CursorAt(QLineEdit* box) { return box->inputMethodQuery(Qt::ImCursorRectangle).toRect(); }

  // Whether a price box shows its whole text: with the cursor at its end the text has not scrolled.
  static bool ShowsWhole(QLineEdit* box) {
    box->setCursorPosition(0);
    box->repaint();
    const int start = CursorAt(box).center().x();
    box->setCursorPosition(static_cast<int>(box->text().size()));
    box->repaint();
    const int end = CursorAt(box).center().x();
    const int width = QFontMetrics(box->font()).horizontalAdvance(box->text());
    return std::abs(end - start - width) <= 1 && CursorAt(box).right() <= box->rect().right();
  }
};

TEST_F(PageTyping, DishesTypedOnLinesKeepTheirNamePriceAndANumberOfTheirOwn) {
  // "Fish" was deleted from the catalogue; the highest PLU number a number can be is taken.
  Start({{{"1", "2.50", "Soup"}}, {{"0", "9.00", "Fish"}}, {{"2147483647", "4.00", "Cake"}}});
  ASSERT_EQ(CatalogueRows(), (QStringList{"Soup", "Cake"}));

  // The deleted name typed again is a new dish, listed at once, numbered with the lowest free number (one
  // above 2147483647 does not exist), and still on its line after the page is drawn again.
  TypeAndLeave(Line(0), "Fish");
  EXPECT_EQ(doc_->NumPlus, 4);
  EXPECT_EQ(doc_->PluNumber[3], "2");
  EXPECT_EQ(doc_->Botoes[0], 2);
  EXPECT_EQ(CatalogueRows(), (QStringList{"Soup", "Cake", "Fish"}));
  Click("Command15");
  Click("Command14");
  EXPECT_EQ(Line(0)->text(), "Fish");

  // A price typed before the dish's name is its price, for a new dish and for one in the catalogue.
  TypeAndLeave(PriceBox(1), "4.50");
  TypeAndLeave(Line(1), "Bread");
  EXPECT_EQ(doc_->PluDescription[4], "Bread");
  EXPECT_EQ(doc_->PluNumber[4], "3");
  EXPECT_EQ(doc_->PluPrice[4], "4.50");
  EXPECT_EQ(PriceBox(1)->text(), "4.50");
  TypeAndLeave(PriceBox(2), "3.00");
  TypeAndLeave(Line(2), "Soup");
  EXPECT_EQ(doc_->Botoes[2], 1);
  EXPECT_EQ(doc_->PluPrice[0], "3.00");
  // Without a price typed first, the catalogue's price shows.
  TypeAndLeave(Line(3), "Cake");
  EXPECT_EQ(PriceBox(3)->text(), "4.00");
  Click("Command15");
  Click("Command14");
  EXPECT_EQ(PriceBox(1)->text(), "4.50");
  EXPECT_EQ(PriceBox(2)->text(), "3.00");
}

TEST_F(PageTyping, PricesAreFieldsShownWholeInBothLayouts) {
  Start({{{"1", "12.50", "Soup"}}, {{"2", "1234.50", "Grilled sea bass"}}});
  TypeAndLeave(Line(0), "Soup");
  TypeAndLeave(Line(1), "Grilled sea bass");
  // The window opens in the narrow layout beside the modifier panel.
  for (int layout = 0; layout < 2; ++layout) {
    SCOPED_TRACE(layout);
    for (int k : {0, 1}) {
      EXPECT_TRUE(PriceBox(k)->hasFrame()) << "a price box looks like a field";
      EXPECT_TRUE(ShowsWhole(PriceBox(k)))
          << PriceBox(k)->text().toStdString() << " at " << PriceBox(k)->font().pointSize() << " points in "
          << PriceBox(k)->width() << " pixels";
    }
    // Where it fits (the wide design layout), the price keeps the line's size.
    if (layout == 1) {
      EXPECT_EQ(PriceBox(0)->font().pointSize(), Line(0)->font().pointSize());
    }
    Click("Expand");
  }
  // A price typed longer is fitted as it is typed.
  PriceBox(0)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(PriceBox(0), Qt::Key_End);
  QTest::keyClicks(PriceBox(0), "0");
  EXPECT_EQ(doc_->PluPrice[0], "12.500");
  EXPECT_TRUE(ShowsWhole(PriceBox(0)))
      << PriceBox(0)->font().pointSize() << " points in " << PriceBox(0)->width() << " pixels, text "
      << QFontMetrics(PriceBox(0)->font()).horizontalAdvance(PriceBox(0)->text());
}

}  // namespace
}  // namespace tabulo
