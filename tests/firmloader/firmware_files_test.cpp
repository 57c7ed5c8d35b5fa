// Catalogue and firmware downloads against a download server on 127.0.0.1, and the offline cache.

#include "firmloader/firmware_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "tests/firmloader/download_server.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using test::DownloadServer;
using test::ReadFile;
using test::WriteFile;

// Every byte value, line ends of both kinds and a NUL: a download must keep them all.
std::string Image(char tag) {
  std::string bytes(1, tag);
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  return bytes + "\r\n\n\r" + std::string(3, '\0');
}

class FirmwareFilesTest : public ::testing::Test {
 protected:
  FirmwareFiles Files(std::chrono::milliseconds total = std::chrono::milliseconds(5000)) {
    DownloadOptions options;
    options.connect_timeout = std::chrono::milliseconds(2000);
    options.total_timeout = total;
    return FirmwareFiles(folder_.Path(), server_.Folder(), console_, options);
  }
  std::string Local(const std::string& name) { return ReadFile(folder_ / name); }
  bool Exists(const std::string& name) { return std::filesystem::exists(folder_ / name); }
  // Nothing half-written is left behind.
  void ExpectNoTemporaryFiles() {
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
      EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    }
  }

  test::TempFolder folder_;
  DownloadServer server_;
  RecordingConsole console_;
};

TEST_F(FirmwareFilesTest, OnlineFirmwareIsReadyAsTheExactBytesAndCachedForOfflineUse) {
  server_.Put("fw1.bin", Image('B'));
  server_.Put("fw1.hea", Image('H'));
  WriteFile(folder_ / "firmware.bin", "stale");
  FirmwareFiles files = Files();
  files.SetInternetConexion(true);
  ASSERT_TRUE(files.DownloadProgramFile("fw1")) << files.LastError();
  EXPECT_FALSE(files.NetError());
  EXPECT_EQ(Local("firmware.bin"), Image('B'));
  EXPECT_EQ(Local("firmware.hea"), Image('H'));
  EXPECT_EQ(Local("fw1.bin"), Image('B'));
  EXPECT_EQ(Local("fw1.hea"), Image('H'));
  EXPECT_EQ(server_.Requests(), (std::vector<std::string>{"fw1.bin", "fw1.hea"}));
  EXPECT_TRUE(console_.log.empty());
  ExpectNoTemporaryFiles();

  // A plain file replaces the local one.
  WriteFile(folder_ / "Conf.xml", "<OLD></OLD>");
  server_.Put("Conf.xml", "<NEW></NEW>");
  ASSERT_TRUE(files.DownloadProgramFile("Conf.xml"));
  EXPECT_EQ(Local("Conf.xml"), "<NEW></NEW>");

  // The cache then serves an offline run without the server.
  FirmwareFiles offline = Files();
  std::filesystem::remove(folder_ / "firmware.bin");
  ASSERT_TRUE(offline.DownloadProgramFile("fw1"));
  EXPECT_EQ(Local("firmware.bin"), Image('B'));
  EXPECT_EQ(server_.Requests().size(), 3u);
}

TEST_F(FirmwareFilesTest, AMissingOrEmptyFileSetsNetErrorAndLeavesNothingToSend) {
  struct Case {
    const char* what;
    bool body, header;
    std::string body_bytes;
  };
  for (const Case& c : {Case{"404 on the body", false, true, ""}, Case{"404 on the header", true, false, "x"},
                        Case{"empty body", true, true, ""}}) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    DownloadServer server;
    if (c.body) server.Put("fw2.bin", c.body_bytes);
    if (c.header) server.Put("fw2.hea", "header");
    WriteFile(folder / "firmware.bin", "previous firmware");
    WriteFile(folder / "firmware.hea", "previous header");
    WriteFile(folder / "fw2.bin", "cached body");
    WriteFile(folder / "fw2.hea", "cached header");
    RecordingConsole console;
    FirmwareFiles files(folder.Path(), server.Folder(), console);
    files.SetInternetConexion(true);
    EXPECT_FALSE(files.DownloadProgramFile("fw2"));
    EXPECT_TRUE(files.NetError());
    EXPECT_EQ(console.log, (std::vector<std::string>{kNotAvailableMessage}));
    EXPECT_FALSE(std::filesystem::exists(folder / "firmware.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "firmware.hea"));
    EXPECT_EQ(ReadFile(folder / "fw2.bin"), "cached body");  // the cache keeps its last complete pair
    EXPECT_EQ(ReadFile(folder / "fw2.hea"), "cached header");

    // Nothing more is fetched until the error is cleared.
    size_t asked = server.Requests().size();
    server.Put("fw2.bin", "now here");
    server.Put("fw2.hea", "now here");
    EXPECT_FALSE(files.DownloadProgramFile("fw2"));
    EXPECT_FALSE(files.DownloadProgramFile("Conf.xml"));
    EXPECT_EQ(server.Requests().size(), asked);
    files.ClearNetError();
    EXPECT_TRUE(files.DownloadProgramFile("fw2"));
    EXPECT_EQ(ReadFile(folder / "firmware.bin"), "now here");
  }
}

TEST_F(FirmwareFilesTest, AFailedCatalogueDownloadKeepsThePreviousCatalogue) {
  WriteFile(folder_ / "Conf.xml", "<KEEP></KEEP>");
  FirmwareFiles files = Files();
  files.SetInternetConexion(true);
  EXPECT_FALSE(files.DownloadProgramFile("Conf.xml"));
  EXPECT_TRUE(files.NetError());
  EXPECT_EQ(Local("Conf.xml"), "<KEEP></KEEP>");
  EXPECT_EQ(console_.log, (std::vector<std::string>{kNotAvailableMessage}));
}

TEST_F(FirmwareFilesTest, AServerThatHangsTimesOut) {
  server_.Put("fw3.bin", "body");
  server_.Put("fw3.hea", "header");
  server_.Hang();
  FirmwareFiles files = Files(std::chrono::milliseconds(300));
  files.SetInternetConexion(true);
  EXPECT_FALSE(files.DownloadProgramFile("fw3"));
  EXPECT_TRUE(files.NetError());
  EXPECT_NE(files.LastError().find("fw3.bin"), std::string::npos);
  EXPECT_FALSE(Exists("firmware.bin"));
  server_.Release();

  // Nobody listening at all fails the same way.
  test::TempFolder folder;
  RecordingConsole console;
  FirmwareFiles nobody(folder.Path(), "http://127.0.0.1:1/fw/", console);
  nobody.SetInternetConexion(true);
  EXPECT_FALSE(nobody.DownloadProgramFile("fw3"));
  EXPECT_EQ(console.log, (std::vector<std::string>{kNotAvailableMessage}));
}

TEST_F(FirmwareFilesTest, TheWindowIsCalledBackWhileAServerIsSlow) {
  server_.Put("fw5.bin", Image('5'));
  server_.Put("fw5.hea", Image('h'));
  server_.Hang();
  DownloadOptions options;
  int calls = 0;
  options.while_waiting = [&] {
    if (++calls == 3) server_.Release();
  };
  FirmwareFiles files(folder_.Path(), server_.Folder(), console_, options);
  files.SetInternetConexion(true);
  ASSERT_TRUE(files.DownloadProgramFile("fw5")) << files.LastError();
  EXPECT_GE(calls, 3);
  EXPECT_EQ(Local("firmware.bin"), Image('5'));
  EXPECT_EQ(Local("fw5.hea"), Image('h'));
}

TEST_F(FirmwareFilesTest, OfflineCacheHitAndMiss) {
  WriteFile(folder_ / "fw4.bin", Image('4'));
  WriteFile(folder_ / "fw4.hea", "header");
  FirmwareFiles files = Files();  // offline unless told otherwise
  ASSERT_TRUE(files.DownloadProgramFile("fw4"));
  EXPECT_EQ(Local("firmware.bin"), Image('4'));
  EXPECT_EQ(Local("firmware.hea"), "header");
  EXPECT_TRUE(server_.Requests().empty());

  // A miss leaves no firmware from the hit before it.
  WriteFile(folder_ / "fw5.bin", "body without header");
  EXPECT_FALSE(files.DownloadProgramFile("fw5"));
  EXPECT_TRUE(files.NetError());
  EXPECT_FALSE(Exists("firmware.bin"));
  EXPECT_FALSE(Exists("firmware.hea"));
  files.ClearNetError();
  WriteFile(folder_ / "fw6.bin", "");  // empty: as good as missing
  WriteFile(folder_ / "fw6.hea", "header");
  EXPECT_FALSE(files.DownloadProgramFile("fw6"));
  EXPECT_FALSE(files.DownloadProgramFile("nothing"));
  EXPECT_EQ(console_.log, std::vector<std::string>(3, kNotAvailableMessage));
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(FirmwareFilesTest, NamesThatWouldLeaveTheFolderAreNeverUsed) {
  test::TempFolder outside;
  std::string escape = "../" + std::filesystem::path(outside.Path()).filename().string() + "/evil";
  server_.Put("evil.bin", "x");
  for (bool online : {true, false}) {
    for (const std::string& name :
         {escape, std::string(".."), std::string("a/b"), std::string("a\\b"), std::string(""),
          std::string("../Conf.xml"), std::string("sub/Conf.xml")}) {
      FirmwareFiles files = Files();
      files.SetInternetConexion(online);
      EXPECT_FALSE(files.DownloadProgramFile(name)) << name;
      EXPECT_TRUE(files.NetError()) << name;
    }
  }
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_TRUE(std::filesystem::is_empty(outside.Path()));
  EXPECT_EQ(console_.log.size(), 14u);
  EXPECT_EQ(console_.log[0].find(kNotAvailableMessage), std::string::npos);
}

TEST(FirmwareFolders, EnvironmentOverridesTheSettings) {
  test::TempFolder maker;
  setenv("VELT_HOME", maker.Path().c_str(), 1);
  unsetenv("FIRMLOADER_HOME");
  EXPECT_EQ(FirmloaderHome(), maker.Path() + "/firmloader");
  setenv("FIRMLOADER_HOME", "/srv/tool", 1);
  EXPECT_EQ(FirmloaderHome(), "/srv/tool");
  unsetenv("FIRMLOADER_HOME");
  unsetenv("VELT_HOME");

  unsetenv("FIRMLOADER_SERVER");
  EXPECT_EQ(FirmwareServerFolder(), kDefaultFirmwareServer);
  EXPECT_EQ(FirmwareServerFolder("http://site/fw"), "http://site/fw/");
  setenv("FIRMLOADER_SERVER", "http://127.0.0.1:9/x/", 1);
  EXPECT_EQ(FirmwareServerFolder("http://site/fw"), "http://127.0.0.1:9/x/");
  unsetenv("FIRMLOADER_SERVER");
}

}  // namespace
}  // namespace tabulo
