// The road of a menu from a project to the base station and of orders back, through `tabulo`, libkestrel
// and kestrel-basesim on a pseudo-terminal carrying bytes as slowly as a real line at its speed, with and
// without damaged lines.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "base/text_codec.h"
#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/storage/project_files.h"
#include "kestrel/base_station.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/link/fake_kestrel.h"
#include "tests/link/small_menu.h"
#include "tests/support/run_program.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using nlohmann::json;
using test::BaseSimulator;
using test::ProgramRun;
using test::WithoutRawTexts;

// The menu records the recorded calls describe, as the library collects them.
std::vector<kestrel::MenuOp> OpsOf(const std::vector<json>& calls) {
  auto bytes = [](const json& text) {
    std::string out;
    EXPECT_TRUE(EncodeWindows1252(text.get<std::string>(), out));
    return out;
  };
  std::vector<kestrel::MenuOp> ops;
  for (const json& c : calls) {
    std::string name = c[0];
    kestrel::MenuOp op;
    if (name == "radio_make_tree_mkdir" || name == "radio_make_tree_cd") {
      op = {name == "radio_make_tree_cd" ? kestrel::kOpCd : kestrel::kOpMkdir, bytes(c[1]), "", 0, 0, 0, 0};
    } else if (name == "radio_make_tree_cd_back") {
      op = {kestrel::kOpCdBack, "", "", 0, 0, 0, 0};
    } else if (name == "menu_modifier") {
      op = {kestrel::kOpModifier, bytes(c[2]), "", c[1], c[3], 0, 0};
    } else if (name == "menu_item") {
      op = {kestrel::kOpItem, bytes(c[2]), bytes(c[3]), c[1], c[4], 0, 0};
    } else if (name == "menu_item_modifier_group") {
      op = {kestrel::kOpModifierGroup, bytes(c[1]), "", c[2], c[3], c[4], 0};
    } else if (name == "radio_make_tree_modifier_min_max") {
      op = {kestrel::kOpModifierMinMax, bytes(c[1]), "", c[2], c[3], c[4], 0};
    } else if (name == "radio_set_entry") {
      op = {kestrel::kOpSetEntry, bytes(c[2]), "", c[1], 0, 0, 0};
    } else {
      continue;
    }
    ops.push_back(op);
  }
  return ops;
}

class LinkEndToEnd : public ::testing::Test {
 protected:
  std::string SaveProject(const MenuDocument& source, const std::string& name) {
    auto doc = std::make_unique<MenuDocument>(source);
    std::string path = folder_ / name;
    EXPECT_TRUE(SaveProjectAs(*doc, path).ok);
    return path;
  }
  ProgramRun Tabulo(const BaseSimulator& base, std::vector<std::string> args,
                    std::vector<std::string> environment = {}) {
    std::vector<std::string> env = base.Environment();
    env.push_back(MakerFolderSetting());
    env.insert(env.end(), environment.begin(), environment.end());
    return test::RunProgram(test::BuiltProgram("tabulo"), args, env);
  }

  // Sends keep their menu in the maker folder: the test's own, never the user's.
  std::string MakerFolderSetting() const { return "VELT_HOME=" + folder_ / "velt"; }

  test::TempFolder folder_;
};

TEST_F(LinkEndToEnd, SendStoresTheWholeMenuWithBothPageSchemes) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string menu_file = folder_ / "menu.json";
  std::string trace = folder_ / "trace.jsonl";
  BaseSimulator base(folder_.Path(), {"--menu-out", menu_file});

  // No $KESTREL_LIBRARY: the program finds the library of its build by itself.
  ProgramRun run =
      test::RunProgram(test::BuiltProgram("tabulo"), {"send", project},
                       {"KESTREL_PORT_1=" + base.Link(), "KESTREL_TRACE=" + trace, MakerFolderSetting()});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "") << "no progress lines when standard error is no terminal";
  EXPECT_EQ(run.out, "Sending\nSent (2 items, 2 modifier choices)\n");

  auto block = [](std::initializer_list<int> header, const std::string& body) {
    std::string text;
    for (int code : header) text += static_cast<char>(code);
    return text + body;
  };
  std::vector<json> expected = {
      {"menu_init", 1, 1, 65535},
      {"radio_make_tree_mkdir", "Sauces"},
      {"radio_make_tree_cd", "Sauces"},
      {"menu_modifier", 3, block({6, 13, 13, 13, 13, 13}, "Ketchup"), 146},
      {"menu_modifier", 4, block({6, 10, 10, 10, 10, 10}, "Mayo"), 0},
      {"radio_make_tree_cd_back"},
      {"menu_item", 1, block({6, 10, 17, 17, 17, 17}, "SoupSoup EN"), "2.50", 145},
      {"menu_item_modifier_group", "Sauces", 0, 2, 1},
      {"menu_item", 2, block({6, 16, 22, 22, 22, 22}, "Caf\xc3\xa9 cr\xc3\xa8meCoffee"), "1.20", 193},
      {"radio_set_entry", 1530, block({6, 15, 22, 30, 37, 44}, "PortuguesEnglishItalianoFrancesEspanol")},
      {"menu_upload"},
      {"menu_close"},
  };
  EXPECT_EQ(test::JsonLines(trace), expected);
  EXPECT_NE(
      test::ReadFile(trace).find("[\"menu_item\", 1, \"\\u0006\\n\\u0011\\u0011\\u0011\\u0011SoupSoup EN\", "
                                 "\"2.50\", 145]\n"),
      std::string::npos)
      << "one array per call, written as the design shows";

  json menu = json::parse(test::ReadFile(menu_file));
  json tree = test::SmallMenuTree();
  EXPECT_EQ(WithoutRawTexts(menu["tree"]), tree);
  EXPECT_EQ(menu["languages"], json({"Portugues", "English", "Italiano", "Frances", "Espanol"}));

  run = Tabulo(base, {"send", project, "--plain-pages", "--port", "1"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  menu = json::parse(test::ReadFile(menu_file));
  tree[0]["children"][0]["button"] = 2;
  tree[1]["button"] = 1;
  tree[3]["button"] = 49;
  EXPECT_EQ(WithoutRawTexts(menu["tree"]), tree);

  run = Tabulo(base, {"send", project, "--old-firmware"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  menu = json::parse(test::ReadFile(menu_file));
  EXPECT_EQ(menu["tree"][1]["text"], "Soup");
  EXPECT_EQ(menu["entries"][0]["text"], "Portugues");
}

// Pages laid out from a menu spreadsheet by `tabulo layout`, then sent: every dish arrives, under its key,
// with its translation.
TEST_F(LinkEndToEnd, LaidOutPagesArriveWithTheirKeys) {
  auto menu = std::make_unique<MenuDocument>();
  ApplyDefaultLanguageNames(*menu);
  menu->PagesVersion = "1";
  std::string project = SaveProject(*menu, "menu.TB1");
  std::string csv = "PLUCODE,DESCRIPTION,PRICE,CATEGORY,English\r\n";
  const int kDishes = 60;
  for (int n = 1; n <= kDishes; ++n) {
    std::string category = n == 1    ? "Starters"
                           : n == 6  ? "Mains"
                           : n == 40 ? "Desserts"
                           : n == 51 ? "Drinks"
                                     : "";
    csv += std::to_string(100 + n) + ",Prato " + std::to_string(n) + "," + std::to_string(n) + ".50," +
           category + ",Dish " + std::to_string(n) + "\r\n";
  }
  test::WriteFile(folder_ / "menu.csv", csv);
  ProgramRun run =
      test::RunProgram(test::BuiltProgram("tabulo"), {"layout", project, "--from", folder_ / "menu.csv"},
                       {MakerFolderSetting()});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // Mains are longer than a page: from a fresh page on. Desserts fill page 3 exactly; Drinks move on.
  EXPECT_NE(run.out.find("Page 1: Starters (5)\nPage 2: Mains (23)\nPage 3: Mains (11), Desserts (11)\n"
                         "Page 4: Drinks (10)\n"),
            std::string::npos)
      << run.out;

  std::string menu_file = folder_ / "menu.json";
  BaseSimulator base(folder_.Path(), {"--menu-out", menu_file});
  run = Tabulo(base, {"send", project});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  MenuDocument laid_out;
  ASSERT_TRUE(LoadProject(laid_out, project).issues.empty());
  std::map<int, int> expected_keys;  // PLU number to its line's key: with fixed lettering, its slot + 1
  for (int s = 0; s < kPageSlots; ++s) {
    if (laid_out.Botoes[s] > 0) expected_keys[laid_out.Botoes[s]] = s + 1;
  }
  ASSERT_EQ(expected_keys.size(), static_cast<size_t>(kDishes));
  std::map<int, int> keys;
  json tree = WithoutRawTexts(json::parse(test::ReadFile(menu_file))["tree"]);
  for (const json& node : tree) {
    if (!node.contains("item")) continue;
    int number = node["item"];
    keys[number] = node["button"];
    EXPECT_EQ(node["texts"][1], "Dish " + std::to_string(number - 100)) << number;
  }
  EXPECT_EQ(keys, expected_keys);
  EXPECT_EQ(keys[106], kLinesPerPage + 2) << "Mains start on page 2, after their title";
}

// A base at 19200 that stores the menu but whose answer to the transfer's end never arrives: the library
// asks what it holds, and the verdict is the truth.
// Each confirmed send keeps the menu as sent; `history` lists them and `diff` compares a project with them.
TEST_F(LinkEndToEnd, ConfirmedSendsAreKeptListedAndCompared) {
  auto menu = test::SmallMenu();
  std::string project = SaveProject(*menu, "menu.TB1");
  BaseSimulator base(folder_.Path(), {});
  ProgramRun run = Tabulo(base, {"history"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("No menu has been sent"), std::string::npos) << run.out;
  EXPECT_EQ(Tabulo(base, {"diff", "sent", project}).exit_code, 2) << "no send to compare with";

  ASSERT_EQ(Tabulo(base, {"send", project}).exit_code, 0);
  run = Tabulo(base, {"diff", "sent", project});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "The menus are the same.\n");

  menu->PluPrice[0] = "4.75";
  project = SaveProject(*menu, "menu.TB1");
  run = Tabulo(base, {"diff", "sent", project, "--json"});
  EXPECT_EQ(run.exit_code, 1) << run.err;
  json diff = json::parse(run.out);
  EXPECT_EQ(diff["summary"], "1 price");
  ASSERT_EQ(diff["changes"].size(), 1u);
  EXPECT_EQ(diff["changes"][0]["kind"], "price");
  EXPECT_EQ(diff["changes"][0]["after"], "4.75");

  // A send the base did not confirm keeps nothing.
  std::filesystem::create_directory(folder_ / "gone");
  BaseSimulator gone(folder_ / "gone", {"--silent-after", "3"});
  EXPECT_NE(Tabulo(gone, {"send", project}, {"KESTREL_TIMEOUT_MS=100"}).exit_code, 0);
  ASSERT_EQ(Tabulo(base, {"send", project}).exit_code, 0);
  run = Tabulo(base, {"history", "--json"});
  json history = json::parse(run.out);
  ASSERT_EQ(history.size(), 2u) << run.out;
  EXPECT_EQ(history[0]["reference"], "sent:1");
  run = Tabulo(base, {"diff", "sent:2", "sent:1"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("price PLU " + menu->PluNumber[0] + ": "), std::string::npos) << run.out;
  EXPECT_EQ(Tabulo(base, {"diff", "sent:3", project}).exit_code, 2);
}

TEST_F(LinkEndToEnd, ALostFinalAnswerStillGivesTheTrueVerdict) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string menu_file = folder_ / "menu.json";
  std::string events = folder_ / "events.jsonl";
  BaseSimulator base(folder_.Path(),
                     {"--baud", "19200", "--lose-end-answers", "--menu-out", menu_file, "--events", events});
  ProgramRun run = Tabulo(base, {"send", project});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "Sending\nSent (2 items, 2 modifier choices)\n");
  EXPECT_EQ(WithoutRawTexts(json::parse(test::ReadFile(menu_file))["tree"]), test::SmallMenuTree());
  std::vector<json> seen = test::JsonLines(events);
  ASSERT_EQ(seen.size(), 1u) << "stored once, though its end was sent again";
  EXPECT_EQ(seen[0]["event"], "menu");

  // A base that goes silent just as the end is sent cannot say what it holds: neither outcome is claimed.
  BaseSimulator gone(folder_.Path(), {"--baud", "19200", "--silent-after", "3"});
  run = Tabulo(gone, {"send", project}, {"KESTREL_TIMEOUT_MS=100"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "Sending\nSend not confirmed\n");
  EXPECT_NE(run.err.find("the menu may or may not have been stored: the base station stopped answering"),
            std::string::npos)
      << run.err;
}

TEST_F(LinkEndToEnd, DamagedLinesGiveTheWholeMenuOrAReportedFailure) {
  std::string project = SaveProject(*test::FullMenu(), "full.TB1");
  // What the send must store: the calls of a send of the project as read back.
  auto doc = std::make_unique<MenuDocument>();
  LoadProject(*doc, project);
  test::FakeKestrel recorder;
  SendMenu(*doc, recorder, {1, doc->PagesVersion == "1"});  // as the send dialog starts
  std::string expected = kestrel::MenuJson(OpsOf(recorder.calls));
  ASSERT_GT(expected.size(), 100000u) << "enough frames for the faults to hit";

  // The whole menu at 115200 baud, the fastest line, so that the suite stays quick; every speed shares the
  // timing, and the smaller sends here run at 19200 and 38400.
  const std::vector<std::vector<std::string>> faults = {{"--drop", "3", "--corrupt", "4"},
                                                        {"--delay", "5", "--drop", "7", "--corrupt", "5"}};
  for (const auto& fault : faults) {
    std::string menu_file = folder_ / "menu.json";
    std::filesystem::remove(menu_file);
    std::vector<std::string> options = {"--baud", "115200", "--menu-out", menu_file};
    options.insert(options.end(), fault.begin(), fault.end());
    BaseSimulator base(folder_.Path(), options);
    // A margin a little above the base's turnaround, so that the lost frames are sent again soon, and more
    // tries than a real line needs: on a loaded machine (the sanitizer build) the base may miss several
    // short margins in a row, which is not the fault under test.
    ProgramRun run = Tabulo(base, {"send", project}, {"KESTREL_TIMEOUT_MS=60", "KESTREL_ATTEMPTS=12"});
    ASSERT_EQ(run.exit_code, 0) << fault[0] << ": " << run.err;
    std::string stored = test::ReadFile(menu_file);
    EXPECT_TRUE(stored == expected) << fault[0] << ": the stored menu differs";
  }

  // A base that stops answering in the middle: no menu, and the send says it failed.
  std::string menu_file = folder_ / "partial.json";
  BaseSimulator base(folder_.Path(), {"--baud", "115200", "--menu-out", menu_file, "--silent-after", "12"});
  ProgramRun run = Tabulo(base, {"send", project});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "Sending\nSend failed\n");
  EXPECT_NE(run.err.find("tabulo: the menu was not stored: no answer from the base station"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(menu_file));
}

TEST_F(LinkEndToEnd, ReceivePrintsOrdersAsTheReceptionWindowShowsThem) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string orders = folder_ / "orders.txt";
  test::WriteFile(orders, "# two orders\norder 3 12\n1 2\n77 1\n\norder 4 5\n");
  BaseSimulator base(folder_.Path(), {"--orders", orders});

  ProgramRun run = Tabulo(base, {"receive", project, "--count", "2", "--timeout", "20"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  std::string pad(26, ' ');
  EXPECT_EQ(run.out, "Terminal Number: 3\nTable: 12\nPLU                  QTY\nSoup" + pad + "2\n77" + pad +
                         "  1\n\nTerminal Number: 4\nTable: 5\nPLU                  QTY\n");

  run = Tabulo(base, {"receive", project, "--count", "1", "--timeout", "0.5"});
  EXPECT_EQ(run.exit_code, 1) << "each order is delivered once";
  EXPECT_NE(run.err.find("0 of 1 orders"), std::string::npos) << run.err;

  // A base that goes away while orders are awaited is reported, not polled in silence.
  BaseSimulator leaving(folder_.Path(), {"--silent-after", "3"});
  run = Tabulo(leaving, {"receive", project, "--timeout", "3"},
               {"KESTREL_TIMEOUT_MS=100", "KESTREL_ATTEMPTS=2"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(
      run.err.find("tabulo: the base station on port 1 stopped answering (no answer from the base station"),
      std::string::npos)
      << run.err;
}

// The port belongs to one program at a time, and the second is told which one has it.
TEST_F(LinkEndToEnd, OneProgramAtATimeOnAPort) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string menu_file = folder_ / "menu.json";
  BaseSimulator base(folder_.Path(), {"--menu-out", menu_file});
  for (const std::string& entry : base.Environment()) {
    size_t equals = entry.find('=');
    ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
  {
    KestrelBinding holder;  // this test's process holds the port, as a reception test left open would
    ASSERT_EQ(holder.radio_init(1, 1, 65000, 0), 0) << holder.LastError();
    for (std::vector<std::string> args :
         {std::vector<std::string>{"send", project}, {"receive", project, "--timeout", "1"}}) {
      ProgramRun run = Tabulo(base, args);
      EXPECT_EQ(run.exit_code, 2) << args[0];
      EXPECT_NE(run.err.find("tabulo: port 1 is in use by process " + std::to_string(::getpid())),
                std::string::npos)
          << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(menu_file));
    holder.radio_close();
  }
  ::unsetenv("KESTREL_PORT_1");
  ::unsetenv("KESTREL_LIBRARY");
  ProgramRun run = Tabulo(base, {"send", project});
  EXPECT_EQ(run.exit_code, 0) << "free again once closed: " << run.err;
}

TEST_F(LinkEndToEnd, MissingLibraryDeviceOrBaseGiveClearErrors) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string tabulo = test::BuiltProgram("tabulo");
  std::string library = "KESTREL_LIBRARY=" + test::BuiltLibrary();

  ProgramRun run = test::RunProgram(tabulo, {"send", project}, {"KESTREL_LIBRARY=" + (folder_ / "none.so")});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("cannot load the radio library $KESTREL_LIBRARY=" + (folder_ / "none.so")),
            std::string::npos)
      << run.err;

  std::string absent = folder_ / "no-such-device";
  for (const char* command : {"send", "receive"}) {
    std::vector<std::string> args = {command, project};
    run = test::RunProgram(tabulo, args, {library, "KESTREL_PORT_1=" + absent});
    EXPECT_EQ(run.exit_code, 2) << command;
    EXPECT_NE(run.err.find("cannot open the link on port 1: cannot open " + absent + ": No such file"),
              std::string::npos)
        << run.err;
  }

  // A device where nothing answers: a pseudo-terminal whose other side nobody reads.
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  std::string silent = ::ptsname(master);
  for (const char* command : {"send", "receive"}) {
    run = test::RunProgram(
        tabulo, {command, project, "--port", "3"},
        {library, "KESTREL_PORT_3=" + silent, "KESTREL_TIMEOUT_MS=40", "KESTREL_ATTEMPTS=2"});
    EXPECT_EQ(run.exit_code, 2) << command << ": " << run.err;
    EXPECT_NE(run.err.find("the base station does not answer on " + silent + " (port 3)"), std::string::npos)
        << run.err;
  }
  ::close(master);
}

}  // namespace
}  // namespace tabulo
