// Base stations behind a serial-to-network converter: a real ser2net started by each test bridges a
// 127.0.0.1 TCP port to kestrel-basesim's pseudo-terminal, raw or with RFC 2217, and the lines run at their
// real speed.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "designer/link/kestrel_binding.h"
#include "designer/link/menu_send.h"
#include "designer/storage/project_files.h"
#include "tests/kestrel/basesim_process.h"
#include "tests/kestrel/ser2net_process.h"
#include "tests/link/small_menu.h"
#include "tests/support/run_program.h"
#include "tests/support/sample_menu.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using nlohmann::json;
using test::BaseSimulator;
using test::ProgramRun;
using test::Ser2Net;

class LinkNetwork : public ::testing::Test {
 protected:
  std::string SaveProject(const MenuDocument& source, const std::string& name) {
    auto doc = std::make_unique<MenuDocument>(source);
    std::string path = folder_ / name;
    EXPECT_TRUE(SaveProjectAs(*doc, path).ok);
    return path;
  }
  std::string Subfolder(const std::string& name) {
    std::string path = folder_ / name;
    std::filesystem::create_directories(path);
    return path;
  }
  json StoredTree(const std::string& menu_file) {
    return test::WithoutRawTexts(json::parse(test::ReadFile(menu_file))["tree"]);
  }

  test::TempFolder folder_;
};

// Raw: the converter's line is set to the base's speed. RFC 2217: the base runs at 19200 while ser2net
// opens its line at 38400, so the base answers only once the library has set the remote line's speed;
// the port is mapped in ports.conf this time, then given as the port setting itself.
TEST_F(LinkNetwork, RawAndRfc2217ConvertersCarryTheWholeMenu) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string library = "KESTREL_LIBRARY=" + test::BuiltLibrary();
  {
    std::string menu_file = folder_ / "raw.json";
    BaseSimulator base(Subfolder("raw"), {"--menu-out", menu_file});
    Ser2Net converter(folder_.Path(), base.Link(), Ser2Net::Mode::kRaw, 38400);
    ProgramRun run = test::RunProgram(test::BuiltProgram("tabulo"), {"send", project},
                                      {library, "KESTREL_PORT_1=" + converter.Address()});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "Sending\nSent (2 items, 2 modifier choices)\n");
    EXPECT_EQ(StoredTree(menu_file), test::SmallMenuTree());
  }
  std::string menu_file = folder_ / "rfc2217.json";
  BaseSimulator base(Subfolder("rfc2217"), {"--baud", "19200", "--menu-out", menu_file});
  Ser2Net converter(folder_.Path(), base.Link(), Ser2Net::Mode::kRfc2217, 38400);
  std::string config = Subfolder("config");
  std::filesystem::create_directories(config + "/kestrel");
  test::WriteFile(config + "/kestrel/ports.conf", "# the office's bases\n4 = " + converter.Address() + "\n");
  ProgramRun run = test::RunProgram(test::BuiltProgram("tabulo"), {"send", project, "--port", "4"},
                                    {library, "XDG_CONFIG_HOME=" + config});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(StoredTree(menu_file), test::SmallMenuTree());

  // The port setting may be the address itself, as typed into the send dialog.
  std::filesystem::remove(menu_file);
  run = test::RunProgram(test::BuiltProgram("tabulo"), {"send", project, "--port", converter.Address()},
                         {library});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(StoredTree(menu_file), test::SmallMenuTree());
}

// ser2net killed in the middle of a transfer: the send fails with the reason, the base stores nothing, and
// a send through a converter that is back stores the whole (a small menu, to keep the test short).
TEST_F(LinkNetwork, AConverterLostInTheMiddleIsAReportedFailure) {
  std::string project = SaveProject(*test::FullMenu(), "full.TB1");
  auto doc = std::make_unique<MenuDocument>();
  LoadProject(*doc, project);
  std::string menu_file = folder_ / "menu.json";
  BaseSimulator base(folder_.Path(), {"--baud", "115200", "--menu-out", menu_file});
  auto converter = std::make_unique<Ser2Net>(folder_.Path(), base.Link(), Ser2Net::Mode::kRfc2217, 115200);
  ::setenv("KESTREL_LIBRARY", test::BuiltLibrary().c_str(), 1);
  ::setenv("KESTREL_PORT_1", converter->Address().c_str(), 1);

  struct KillMidway : SendProgress {
    Ser2Net* converter;
    long long killed_at = -1, total = 0;
    bool Transferred(long long done, long long all) override {
      total = all;
      if (killed_at < 0 && done > 8000) {
        killed_at = done;
        converter->Kill();
      }
      return true;
    }
  } progress;
  progress.converter = converter.get();
  KestrelBinding library;
  SendResult result = SendMenu(*doc, library, {1, doc->PagesVersion == "1"}, &progress);
  ASSERT_GT(progress.killed_at, 0);
  ASSERT_LT(progress.killed_at, progress.total) << "killed in the middle";
  EXPECT_EQ(result.outcome, SendOutcome::kFailed) << result.error;
  EXPECT_NE(result.error.find("the connection to " + converter->Address()), std::string::npos)
      << result.error;
  EXPECT_FALSE(std::filesystem::exists(menu_file));

  converter = std::make_unique<Ser2Net>(folder_.Path(), base.Link(), Ser2Net::Mode::kRaw, 115200);
  ::setenv("KESTREL_PORT_1", converter->Address().c_str(), 1);
  doc = std::make_unique<MenuDocument>();
  LoadProject(*doc, SaveProject(*test::SmallMenu(), "menu.TB1"));
  result = SendMenu(*doc, library, {1, doc->PagesVersion == "1"});
  EXPECT_EQ(result.outcome, SendOutcome::kSent) << result.error;
  EXPECT_EQ(StoredTree(menu_file), test::SmallMenuTree());
  ::unsetenv("KESTREL_PORT_1");
  ::unsetenv("KESTREL_LIBRARY");
}

// Two sites behind converters and one whose converter does not answer: both menus stored, the third
// reported with its reason, and exit 1.
TEST_F(LinkNetwork, SitesGetTheMenuInParallelAndAnUnreachableOneIsReported) {
  std::string project = SaveProject(*test::SmallMenu(), "menu.TB1");
  std::string lisbon_menu = folder_ / "lisbon.json", porto_menu = folder_ / "porto.json";
  BaseSimulator lisbon(Subfolder("lisbon"), {"--menu-out", lisbon_menu});
  BaseSimulator porto(Subfolder("porto"), {"--baud", "19200", "--menu-out", porto_menu});
  Ser2Net lisbon_net(folder_.Path(), lisbon.Link(), Ser2Net::Mode::kRaw, 38400);
  Ser2Net porto_net(folder_.Path(), porto.Link(), Ser2Net::Mode::kRfc2217, 38400);
  std::string closed = "tcp://127.0.0.1:" + std::to_string(test::FreeTcpPort());
  std::string sites = folder_ / "sites.conf";
  test::WriteFile(sites, "# name, then port address\nLisbon Baixa  " + lisbon_net.Address() + "\n\nPorto\t" +
                             porto_net.Address() + "\nFaro " + closed + "\n");

  ProgramRun run = test::RunProgram(test::BuiltProgram("tabulo"), {"send", project, "--sites", sites},
                                    {"KESTREL_LIBRARY=" + test::BuiltLibrary()});
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_EQ(StoredTree(lisbon_menu), test::SmallMenuTree());
  EXPECT_EQ(StoredTree(porto_menu), test::SmallMenuTree());
  for (const std::string& line : std::vector<std::string>{
           "Lisbon Baixa: Sent (2 items, 2 modifier choices)", "Porto: Sent (2 items, 2 modifier choices)",
           "Sent to 2 of 3 sites; failed: 1",
           "  FAILED  Faro (" + closed + "): cannot open the link: cannot connect to 127.0.0.1:",
           "Connection refused"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }

  // One at a time, all reachable: exit 0.
  test::WriteFile(sites, "Lisbon " + lisbon_net.Address() + "\nPorto " + porto_net.Address() + "\n");
  run = test::RunProgram(test::BuiltProgram("tabulo"), {"send", project, "--sites", sites, "--jobs", "1"},
                         {"KESTREL_LIBRARY=" + test::BuiltLibrary()});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Sent to 2 of 2 sites\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tabulo
