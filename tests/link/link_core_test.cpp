// Button numbers, language blocks, the send procedure against a recording library, order display and the
// reception session.

#include <gtest/gtest.h>

#include "designer/document/catalogue_lookup.h"
#include "designer/link/button_numbers.h"
#include "designer/link/language_block.h"
#include "designer/link/menu_send.h"
#include "designer/link/reception_session.h"
#include "designer/link/transfer_estimate.h"
#include "designer/storage/project_files.h"
#include "designer/storage/project_layout.h"
#include "tests/link/fake_kestrel.h"
#include "tests/link/small_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using nlohmann::json;
using test::FakeKestrel;

std::string Block(std::initializer_list<int> header, const std::string& body) {
  std::string block;
  for (int code : header) block += static_cast<char>(code);
  return block + body;
}

std::string Pad(const std::string& ascii) {
  return ascii + std::string(30 - ascii.size(), ' ');
}

TEST(GetBotao, ShiftsPagesUpToTheLastUsedOneOntoPageNine) {
  auto doc = std::make_unique<MenuDocument>();
  doc->Botoes[0] = 10;    // page 1, first line
  doc->Botoes[48] = 20;   // page 3, first line -> LastUsedPage 3
  doc->Botoes[289] = 30;  // page 13, second line: never shifted
  doc->Botoes[300] = 10;  // a second line of PLU 10: the first one counts
  ASSERT_EQ(LastUsedPage(*doc), 3);
  struct Case {
    int32_t plu;
    bool plain;
    int32_t button;
  } cases[] = {{10, false, 145}, {20, false, 193}, {10, true, 1},  {20, true, 49},
               {30, false, 290}, {30, true, 290},  {99, false, 0}, {0, false, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(GetBotao(*doc, c.plu, c.plain), c.button) << c.plu << (c.plain ? " plain" : " shifted");
  }
}

TEST(GetBotao, LateLastPageMovesEarlyPagesBeforeTheFirstButton) {
  auto doc = std::make_unique<MenuDocument>();
  doc->Botoes[SlotOf(12, 5)] = 7;  // LastUsedPage 12
  doc->Botoes[288] = 8;            // first line of page 13 still takes the shift
  doc->Botoes[SlotOf(1, 0)] = 1;
  doc->Botoes[SlotOf(3, 23)] = 3;
  doc->Botoes[SlotOf(4, 0)] = 4;
  ASSERT_EQ(LastUsedPage(*doc), 12);
  EXPECT_EQ(GetBotao(*doc, 8, false), 217);
  EXPECT_EQ(GetBotao(*doc, 1, false), -71);
  EXPECT_EQ(GetBotao(*doc, 3, false), 0);
  EXPECT_EQ(GetBotao(*doc, 4, false), 1);
  doc->PluNumber[0] = "1";
  doc->PluNumber[1] = "3";
  doc->PluNumber[2] = "4";
  doc->NumPlus = 3;
  EXPECT_FALSE(PluHasButton(*doc, 0, false));
  EXPECT_FALSE(PluHasButton(*doc, 1, false));
  EXPECT_TRUE(PluHasButton(*doc, 2, false));
  EXPECT_TRUE(PluHasButton(*doc, 0, true));
}

TEST(BuildLanguageBlock, PacksTrimmedTextsBehindTheirEndOffsets) {
  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*doc);
  struct Case {
    const char* name;
    std::string t[5];
    std::string expected;
  } cases[] = {
      {"spec example", {"Soup ", "", "Zuppa!", "", ""}, Block({6, 10, 10, 16, 16, 16}, "SoupZuppa!")},
      {"all empty", {"", "", "", "", ""}, Block({6, 6, 6, 6, 6, 6}, "")},
      {"spaces trimmed, tabs kept", {"  a  ", "\tb", " ", "c", "d"}, Block({6, 7, 9, 9, 10, 11}, "a\tbcd")},
      {"offsets are Windows-1252 bytes",
       {"Caf\xc3\xa9", "\xe2\x82\xac", "", "", ""},
       Block({6, 10, 11, 11, 11, 11}, "Caf\xe9\x80")},
      {"a character the code page lacks",
       {"\xd0\x91orsch", "", "", "", ""},
       Block({6, 12, 12, 12, 12, 12}, "?orsch")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildLanguageBlock(*doc, false, c.t[0], c.t[1], c.t[2], c.t[3], c.t[4]), c.expected) << c.name;
  }
  std::string forty(40, 'x');
  std::string capped = BuildLanguageBlock(*doc, false, forty, forty, forty, forty, forty);
  EXPECT_EQ(capped, Block({6, 46, 86, 90, 90, 90}, std::string(84, 'x'))) << "cut to 90 characters";
}

TEST(BuildLanguageBlock, NoteLanguagesAndOldFirmware) {
  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*doc);
  doc->Lang(0, 2) = "Note";
  EXPECT_EQ(BuildLanguageBlock(*doc, false, "Soup", "Memo", "Zuppa", "", ""),
            Block({6, 10, 10, 15, 15, 15}, "SoupZuppa"));
  EXPECT_EQ(doc->Lang(0, 2), "Note") << "the document keeps its texts";
  EXPECT_EQ(LanguageNamesBlock(*doc, false),
            Block({6, 15, 15, 23, 30, 37}, "PortuguesItalianoFrancesEspanol"));
  doc->Lang(0, 2) = "note";  // only the exact name counts
  EXPECT_EQ(BuildLanguageBlock(*doc, false, "a", "b", "", "", ""), Block({6, 7, 8, 8, 8, 8}, "ab"));

  EXPECT_EQ(BuildLanguageBlock(*doc, true, " Soup  ", "Memo", "", "", ""), " Soup  ");
  EXPECT_EQ(LanguageNamesBlock(*doc, true), "Portugues");
  EXPECT_EQ(BuildLanguageBlock(*doc, true, std::string(120, 'y'), "", "", "", "").size(), 120u) << "not cut";
}

TEST(BuildLanguageBlock, PluNumbersWithoutATranslationRowSendTheDescriptionAlone) {
  auto doc = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*doc);
  doc->Lang(12, 2) = "Twelve";
  doc->Lang(9999, 2) = "Last";
  const char* numbers[] = {"12", "9999", "10000", "0", "-3", "12.5", "abc", "99999999999"};
  std::string expected[] = {Block({6, 7, 13, 13, 13, 13}, "DTwelve"), Block({6, 7, 11, 11, 11, 11}, "DLast")};
  for (int i = 0; i < 8; ++i) {
    doc->PluNumber[0] = numbers[i];
    doc->PluDescription[0] = "D";
    std::string want = i < 2 ? expected[i] : Block({6, 7, 7, 7, 7, 7}, "D");
    EXPECT_EQ(PluLanguageBlock(*doc, 0, false), want) << numbers[i];
  }
}

class SendMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_ = test::SmallMenu();
    doc_->ProjectBase = folder_ / "menu";
    ASSERT_TRUE(WriteProjectFiles(*doc_).ok);
  }
  json Expected(std::initializer_list<json> calls) { return json(calls); }

  test::TempFolder folder_;
  std::unique_ptr<MenuDocument> doc_;
  FakeKestrel api_;
};

TEST_F(SendMenuTest, WalksChoiceGroupsThenItemsThenTheLanguageNames) {
  SendResult result = SendMenu(*doc_, api_, {1, false});
  EXPECT_EQ(result.outcome, SendOutcome::kSent);
  EXPECT_EQ(result.items, 2);
  EXPECT_EQ(result.choices, 2);
  json expected = {
      {"menu_init", 1, 1, 65535},
      {"radio_make_tree_mkdir", "Sauces"},
      {"radio_make_tree_cd", "Sauces"},
      {"menu_modifier", 3, Block({6, 13, 13, 13, 13, 13}, "Ketchup"), 146},
      {"menu_modifier", 4, Block({6, 10, 10, 10, 10, 10}, "Mayo"), 0},
      {"radio_make_tree_cd_back"},
      {"menu_item", 1, Block({6, 10, 17, 17, 17, 17}, "SoupSoup EN"), "2.50", 145},
      {"menu_item_modifier_group", "Sauces", 0, 2, 1},
      {"menu_item", 2, Block({6, 16, 22, 22, 22, 22}, "Caf\xc3\xa9 cr\xc3\xa8meCoffee"), "1.20", 193},
      {"radio_set_entry", 1530, Block({6, 15, 22, 30, 37, 44}, "PortuguesEnglishItalianoFrancesEspanol")},
      {"menu_upload"},
      {"menu_close"},
  };
  EXPECT_EQ(json(api_.calls), expected);

  api_.calls.clear();
  SendMenu(*doc_, api_, {7, true});
  EXPECT_EQ(api_.calls[0], json({"menu_init", 7, 1, 65535}));
  EXPECT_EQ(api_.calls[3][3], 2) << "plain slot numbers";
  EXPECT_EQ(api_.calls[6][4], 1);
  EXPECT_EQ(api_.calls[8][4], 49);
}

TEST_F(SendMenuTest, ALinkThatDoesNotOpenEndsTheSendAtOnce) {
  api_.init_result = -1;
  SendResult result = SendMenu(*doc_, api_, {3, false});
  EXPECT_EQ(result.outcome, SendOutcome::kNotOpened);
  EXPECT_EQ(result.error, "fake failure");
  EXPECT_EQ(api_.Names(), std::vector<std::string>{"menu_init"});
  EXPECT_STREQ(CaptionAfterSend(result.outcome), "");
}

TEST_F(SendMenuTest, AnUnconfirmedUploadIsNeverReportedAsSent) {
  api_.upload_result = -2;
  struct Captions : SendProgress {
    std::vector<std::string> seen;
    void UploadStarting() override { seen.push_back(kSendingCaption); }
    void UploadFinished(bool stored) override { seen.push_back(stored ? "stored" : "lost"); }
  } captions;
  SendResult result = SendMenu(*doc_, api_, {1, false}, &captions);
  EXPECT_EQ(result.outcome, SendOutcome::kFailed);
  EXPECT_STREQ(CaptionAfterSend(result.outcome), "Send failed");
  EXPECT_EQ(captions.seen, (std::vector<std::string>{"Sending", "lost"}));
  EXPECT_EQ(api_.Names().back(), "menu_close") << "the link is closed after a failed upload too";
  EXPECT_STREQ(CaptionAfterSend(SendOutcome::kSent), "Sent");
}

TEST_F(SendMenuTest, WithoutTheDefinitionsFileChoicesAreSentAsItems) {
  std::filesystem::remove(doc_->ProjectBase + kModifierDefinitionsFile);
  SendMenu(*doc_, api_, {1, false});
  std::vector<std::string> expected = {"menu_init",   "menu_item", "menu_item_modifier_group",
                                       "menu_item",   "menu_item", "radio_set_entry",
                                       "menu_upload", "menu_close"};
  EXPECT_EQ(api_.Names(), expected);
  EXPECT_EQ(api_.calls[4][1], 3) << "Ketchup sits on page 1";
}

TEST_F(SendMenuTest, DefinitionsFileQuirks) {
  // An empty group name opens no directory; bad and unknown codes send nothing; a block that the file ends
  // inside leaves its directory open, so the items are made inside it.
  test::WriteFile(doc_->ProjectBase + kModifierDefinitionsFile,
                  "\r\n 4 \r\n\r\nSauces\r\nabc\r\n77\r\n3\r\n   \r\nDrinks\r\n 2 \r\n");
  SendResult result = SendMenu(*doc_, api_, {1, false});
  std::vector<std::string> expected = {"menu_init",
                                       "menu_modifier",
                                       "radio_make_tree_mkdir",
                                       "radio_make_tree_cd",
                                       "menu_modifier",
                                       "radio_make_tree_cd_back",
                                       "radio_make_tree_mkdir",
                                       "radio_make_tree_cd",
                                       "menu_modifier",
                                       "menu_item",
                                       "menu_item_modifier_group",
                                       "radio_set_entry",
                                       "menu_upload",
                                       "menu_close"};
  EXPECT_EQ(api_.Names(), expected);
  EXPECT_EQ(api_.calls[1][1], 4);
  EXPECT_EQ(api_.calls[4][1], 3);
  EXPECT_EQ(api_.calls[8][1], 2);
  EXPECT_EQ(api_.calls[9][1], 1) << "Café was sent as a choice, so only Soup is an item";
  EXPECT_EQ(result.choices, 3);
}

TEST_F(SendMenuTest, EmptyCatalogueStillSetsTheNamesAndUploads) {
  auto empty = std::make_unique<MenuDocument>();
  ResetDocument(*empty);
  ApplyDefaultLanguageNames(*empty);
  empty->ProjectBase = folder_ / "empty";
  SendMenu(*empty, api_, {1, false});
  EXPECT_EQ(api_.Names(),
            (std::vector<std::string>{"menu_init", "radio_set_entry", "menu_upload", "menu_close"}));
}

TEST_F(SendMenuTest, FamilyGroupsOfImportedCataloguesComeBeforeThePages) {
  // Heading "Drinks" (group 1) with members whose field 3 is 33, 34, 35; a member run ends when field 3
  // stops counting up, and at the end of the catalogue.
  auto doc = std::make_unique<MenuDocument>();
  ResetDocument(*doc);
  ApplyDefaultLanguageNames(*doc);
  doc->ProjectBase = folder_ / "families";
  const char* rows[][4] = {{"100", "1", "0", "Drinks"}, {"101", "", "33", "Water"},
                           {"102", "", "34", "Juice"},  {"103", "", "40", "Wine"},
                           {"200", "5", "0", "Empty"},  {"104", "", "35", "Beer"}};
  for (int i = 0; i < 6; ++i) {
    doc->PluNumber[i] = rows[i][0];
    doc->PluField2[i] = rows[i][1];
    doc->PluField3[i] = rows[i][2];
    doc->PluDescription[i] = rows[i][3];
    doc->PluPrice[i] = "1";
  }
  doc->NumPlus = 6;
  doc->Modifiers[0].Name = "Juice";
  doc->Modifiers[0].NumLevels = 1;
  doc->Modifiers[0].LevelName[0] = "Ice";
  doc->Modifiers[0].Obrigatorio[0] = 1;
  doc->Modifiers[0].Maximo[0] = 1;
  doc->NumModifiers = 1;
  doc->Botoes[0] = 104;
  SendMenu(*doc, api_, {1, true});
  json expected = {
      {"menu_init", 1, 1, 65535},
      {"radio_make_tree_mkdir", "Drinks"},
      {"radio_make_tree_cd", "Drinks"},
      {"menu_item", 101, Block({6, 11, 11, 11, 11, 11}, "Water"), "1", 0},
      {"menu_item", 102, Block({6, 11, 11, 11, 11, 11}, "Juice"), "1", 0},
      {"radio_make_tree_modifier_min_max", "Ice", 1, 0, 1},
      {"radio_make_tree_cd_back"},
      {"radio_make_tree_mkdir", "Empty"},
      {"radio_make_tree_cd", "Empty"},
      {"radio_make_tree_cd_back"},
      {"menu_item", 104, Block({6, 10, 10, 10, 10, 10}, "Beer"), "1", 1},
  };
  ASSERT_GE(api_.calls.size(), expected.size());
  EXPECT_EQ(json(std::vector<json>(api_.calls.begin(), api_.calls.begin() + 11)), expected);

  // A back-office that numbers its products straight through: each family's run stops where the next
  // family's products start, so every product is sent once, in its own family.
  const char* straight[][4] = {{"0", "1", "y", "Hot"},   {"0", "3", "y", "Cold"}, {"1", "0", "33", "Tea"},
                               {"2", "0", "34", "Soup"}, {"3", "0", "35", "Ice"}, {"4", "0", "36", "Cola"}};
  for (int i = 0; i < 6; ++i) {
    doc->PluNumber[i] = straight[i][0];
    doc->PluField2[i] = straight[i][1];
    doc->PluField3[i] = straight[i][2];
    doc->PluDescription[i] = straight[i][3];
  }
  doc->NumModifiers = 0;
  api_.calls.clear();
  SendMenu(*doc, api_, {1, true});
  std::vector<std::string> tree;
  for (const json& call : api_.calls) {
    if (call[0] == "radio_make_tree_cd") tree.push_back(call[1]);
    if (call[0] == "menu_item") tree.push_back(std::to_string(call[1].get<int>()));
  }
  EXPECT_EQ(tree, (std::vector<std::string>{"Hot", "1", "2", "Cold", "3", "4"}));
}

TEST(ReceivedOrder, DecodesFieldsAndShowsDescriptionsOrNumbers) {
  auto doc = test::SmallMenu();
  doc->PluDescription[4] = "A very long steak description over thirty";
  std::string plus = "       1      77       5      -2";
  std::string quantities = "       2       1       3       4";
  ReceivedOrder order = DecodeReceivedOrder(3, 4, 12, plus, quantities);
  EXPECT_EQ(order.plu, (std::vector<int32_t>{1, 77, 5, -2}));
  std::vector<std::string> expected = {
      "PLU                  QTY",
      Pad("Soup") + "2",
      Pad("77") + "1",
      "A very long steak description over thirty 3",
      Pad("-2") + "4",
  };
  EXPECT_EQ(OrderDisplayLines(*doc, order), expected);
  EXPECT_EQ(OrderDisplayText(*doc, DecodeReceivedOrder(1, 0, 2, "", "")), "PLU                  QTY\r\n");
  doc->PluDescription[1] = "Caf\xc3\xa9";  // padding counts characters, not bytes
  EXPECT_EQ(OrderDisplayLines(*doc, DecodeReceivedOrder(1, 1, 1, "       2", "       1"))[1],
            "Caf\xc3\xa9" + std::string(26, ' ') + "1");
}

TEST(ReceivedOrder, MoreLinesThanTheBuffersHoldShowTheFirst64) {
  std::string plus, quantities;
  for (int i = 1; i <= 64; ++i) {
    std::string field = std::to_string(i);
    plus += std::string(8 - field.size(), ' ') + field;
    quantities += "       1";
  }
  ReceivedOrder order = DecodeReceivedOrder(1, 70, 1, plus, quantities);
  EXPECT_EQ(order.count, 70);
  ASSERT_EQ(order.plu.size(), 64u);
  EXPECT_EQ(order.plu[63], 64);
  std::vector<std::string> lines = OrderDisplayLines(*std::make_unique<MenuDocument>(), order);
  ASSERT_EQ(lines.size(), 66u);
  EXPECT_EQ(lines.back(), "... 6 more lines not shown") << "the rest is counted, not dropped in silence";
  EXPECT_TRUE(DecodeReceivedOrder(1, -5, 1, plus, quantities).plu.empty());
}

TEST(TransferEstimate, SaysBytesAndTheTimeLeftAtThePaceSeenSoFar) {
  TransferEstimate estimate;
  auto start = TransferEstimate::Clock::now();
  estimate.Update(0, 100000, start);
  EXPECT_EQ(estimate.Text(), "0 of 100000 bytes, time left not known yet");
  estimate.Update(1000, 100000, start + std::chrono::seconds(1));
  EXPECT_EQ(estimate.Text(), "1000 of 100000 bytes, about 1 min 39 s left");
  EXPECT_EQ(estimate.Percent(), 1);
  estimate.Update(75000, 100000, start + std::chrono::seconds(30));
  EXPECT_EQ(estimate.Text(), "75000 of 100000 bytes, about 10 s left");
  estimate.Update(100000, 100000, start + std::chrono::seconds(40));
  EXPECT_EQ(estimate.Text(), "100000 of 100000 bytes");
  EXPECT_EQ(estimate.Percent(), 100);
}

TEST(ReceptionSession, OpensPollsAndClosesOnlyAnOpenLink) {
  FakeKestrel api;
  {
    ReceptionSession session(api);
    EXPECT_EQ(session.Poll().kind, ReceptionSession::PollResult::kNoAnswer) << "not open";
    session.Close();
    EXPECT_TRUE(api.calls.empty()) << "closing a closed link calls nothing";
    api.radio_result = -1;
    EXPECT_FALSE(session.Open(2));
    EXPECT_FALSE(session.IsOpen());
    api.radio_result = 0;
    api.deliveries.push_back({4, 9, 1, "      1", "       3"});
    ASSERT_TRUE(session.Open(2));
    auto poll = session.Poll();
    ASSERT_EQ(poll.kind, ReceptionSession::PollResult::kOrder);
    EXPECT_EQ(poll.order.terminal, 4);
    EXPECT_EQ(poll.order.table, 9);
    EXPECT_EQ(poll.order.quantity, std::vector<int32_t>{3});
    EXPECT_EQ(session.Poll().kind, ReceptionSession::PollResult::kNone) << "nothing waiting";
  }
  EXPECT_EQ(api.Names(), (std::vector<std::string>{"radio_init", "radio_init", "menu_receive", "menu_receive",
                                                   "radio_close"}))
      << "the link open when the session ends is closed";
  EXPECT_EQ(api.calls[1], json({"radio_init", 2, 1, 65000, 0}));
}

}  // namespace
}  // namespace tabulo
