// Catalogue and firmware downloads against download servers on 127.0.0.1, well behaved and not, and the
// offline cache with its checksums.

#include "firmloader/firmware_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "firmloader/sha256_sum.h"
#include "tests/firmloader/download_server.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using test::DownloadServer;
using test::ReadFile;
using test::Serve;
using test::WriteFile;

// Every byte value, line ends of both kinds and a NUL: a download must keep them all.
std::string Image(char tag) {
  std::string bytes(1, tag);
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  return bytes + "\r\n\n\r" + std::string(3, '\0');
}

HttpOptions QuickOptions() {
  HttpOptions options;
  options.connect_timeout = std::chrono::milliseconds(2000);
  options.total_timeout = std::chrono::milliseconds(5000);
  return options;
}

class FirmwareFilesTest : public ::testing::Test {
 protected:
  FirmwareFiles Files(HttpOptions options = QuickOptions()) {
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

TEST_F(FirmwareFilesTest, OnlineFirmwareIsReadyAsTheExactBytesAndCachedWithItsChecksums) {
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
  // In the form `sha256sum -c` reads in the cache folder.
  EXPECT_EQ(Local("fw1.bin.sha256"), Sha256Hex(Image('B')) + "  fw1.bin\n");
  EXPECT_EQ(Local("fw1.hea.sha256"), Sha256Hex(Image('H')) + "  fw1.hea\n");
  EXPECT_EQ(server_.Requests(),
            (std::vector<std::string>{"fw1.bin", "fw1.bin.sha256", "fw1.hea", "fw1.hea.sha256"}));
  EXPECT_TRUE(console_.log.empty());
  std::string image;
  EXPECT_TRUE(files.ReadyImage(image));
  EXPECT_EQ(image, Image('B'));
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
  EXPECT_EQ(server_.Requests().size(), 6u);

  // firmware.bin changed after it was made ready is not handed out for a send.
  WriteFile(folder_ / "firmware.bin", Image('X'));
  EXPECT_FALSE(offline.ReadyImage(image));
  EXPECT_TRUE(offline.NetError());
  EXPECT_EQ(console_.log.front(), kNotAvailableMessage);
}

// Every way a server can hand over something that is not the whole file: the download fails with the
// message and the reason, nothing is left to send, and the cache keeps its last good pair.
TEST_F(FirmwareFilesTest, NothingDamagedIsEverMadeReadyOrCached) {
  struct Case {
    const char* what;
    std::function<void(DownloadServer&)> serve;
    const char* failed_file;
    const char* reason;
  };
  const std::string body = Image('N') + std::string(5000, '\x01');
  std::vector<Case> cases = {
      {"closes early without a length",
       [&](DownloadServer& s) { s.Put("fw.bin", body, Serve::kHalfWithoutLengthThenClose); }, "fw.bin",
       "cannot be known whole"},
      {"closes short of its length",
       [&](DownloadServer& s) { s.Put("fw.bin", body, Serve::kHalfOfItsLength); }, "fw.bin", "closed after"},
      {"a captive portal's page", [&](DownloadServer& s) { s.PortalPage(true); }, "fw.bin", "web page"},
      {"a web page without its type",
       [&](DownloadServer& s) { s.Put("fw.bin", "\r\n<HTML><body>Sign in</body></HTML>"); }, "fw.bin",
       "web page"},
      {"text called text", [&](DownloadServer& s) { s.Put("fw.bin", body, Serve::kAsText); }, "fw.bin",
       "text"},
      {"text without its type", [&](DownloadServer& s) { s.Put("fw.bin", "File not found, sorry.\n"); },
       "fw.bin", "text"},
      {"an empty answer", [&](DownloadServer& s) { s.Put("fw.bin", ""); }, "fw.bin", "empty"},
      {"no such file", [&](DownloadServer& s) { s.Remove("fw.bin"); }, "fw.bin", "404"},
      {"the header missing", [&](DownloadServer& s) { s.Remove("fw.hea"); }, "fw.hea", "404"},
      {"a redirect to a local file", [&](DownloadServer& s) { s.Redirect("fw.bin", "file:///etc/passwd"); },
       "fw.bin", ""},
      {"a redirect to a portal",
       [&](DownloadServer& s) {
         s.Redirect("fw.bin", s.Address("/fw/login"));
         s.Put("login", "<html>Please log in to the Wi-Fi</html>");
       },
       "fw.bin", "web page"},
      {"a checksum that does not match",
       [&](DownloadServer& s) { s.Put("fw.bin.sha256", Sha256SumLine(Sha256Hex("other"), "fw.bin")); },
       "fw.bin", "does not match"},
      {"a checksum file that is no checksum",
       [&](DownloadServer& s) { s.Put("fw.bin.sha256", "<html>Please log in</html>"); }, "fw.bin",
       "sha256sum form"},
      {"too slow for the time allowed", [&](DownloadServer& s) { s.Put("fw.bin", body, Serve::kTrickle); },
       "fw.bin", ""},
      {"a server that never answers", [&](DownloadServer& s) { s.Hang(); }, "fw.bin", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    DownloadServer server;
    server.Put("fw.bin", body);
    server.Put("fw.hea", Image('h'));
    c.serve(server);
    RecordingConsole console;
    HttpOptions options = QuickOptions();
    options.total_timeout = std::chrono::milliseconds(800);
    FirmwareFiles files(folder.Path(), server.Folder(), console, options);
    ASSERT_TRUE(files.StoreInCache("fw", "cached body", "cached header").ok);
    WriteFile(folder / "firmware.bin", "previous firmware");
    files.SetInternetConexion(true);

    EXPECT_FALSE(files.DownloadProgramFile("fw"));
    server.Release();
    EXPECT_TRUE(files.NetError());
    ASSERT_EQ(console.log.size(), 2u);
    EXPECT_EQ(console.log[0], kNotAvailableMessage);
    EXPECT_EQ(console.log[1].rfind(std::string(c.failed_file) + ": ", 0), 0u) << console.log[1];
    EXPECT_NE(console.log[1].find(c.reason), std::string::npos) << console.log[1];
    EXPECT_FALSE(std::filesystem::exists(folder / "firmware.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "firmware.hea"));
    std::string image;
    EXPECT_FALSE(files.ReadyImage(image));
    EXPECT_EQ(ReadFile(folder / "fw.bin"), "cached body");
    EXPECT_EQ(ReadFile(folder / "fw.hea"), "cached header");
    EXPECT_EQ(ReadFile(folder / "fw.bin.sha256"), Sha256SumLine(Sha256Hex("cached body"), "fw.bin"));
  }
}

TEST_F(FirmwareFilesTest, APublishedChecksumVouchesForAReplyWithoutLengthAndARedirectIsFollowed) {
  server_.Put("fw.bin", Image('B'), Serve::kWithoutLengthThenClose);
  server_.Put("fw.bin.sha256", Sha256Hex(Image('B')) + " *fw.bin\n");  // binary mode, as sha256sum -b writes
  server_.Redirect("fw.hea", server_.Address("/fw/moved/fw.hea"));
  server_.Put("moved/fw.hea", Image('H'));
  server_.Put("fw.hea.sha256", "# sums\n" + Sha256SumLine(Sha256Hex("x"), "other.hea") +
                                   Sha256SumLine(Sha256Hex(Image('H')), "firmware/fw.hea"));
  FirmwareFiles files = Files();
  files.SetInternetConexion(true);
  ASSERT_TRUE(files.DownloadProgramFile("fw")) << files.LastError();
  EXPECT_EQ(Local("firmware.bin"), Image('B'));
  EXPECT_EQ(Local("fw.hea"), Image('H'));

  // The same reply without a checksum cannot be told from one cut short.
  server_.Remove("fw.bin.sha256");
  EXPECT_FALSE(files.DownloadProgramFile("fw"));

  EXPECT_EQ(Sha256For(std::string(64, 'A') + "\n", "any"), std::string(64, 'a'));
  EXPECT_EQ(Sha256For(std::string(63, 'a') + "  fw.bin\n", "fw.bin"), std::nullopt);
  EXPECT_EQ(Sha256For(std::string(64, 'a') + "  fw.bin.old\n", "fw.bin"), std::nullopt);
}

TEST_F(FirmwareFilesTest, AFailedCatalogueDownloadKeepsThePreviousCatalogue) {
  WriteFile(folder_ / "Conf.xml", "<KEEP></KEEP>");
  FirmwareFiles files = Files();
  files.SetInternetConexion(true);
  EXPECT_FALSE(files.DownloadProgramFile("Conf.xml"));
  EXPECT_TRUE(files.NetError());
  EXPECT_EQ(Local("Conf.xml"), "<KEEP></KEEP>");
  EXPECT_EQ(console_.log[0], kNotAvailableMessage);
  EXPECT_EQ(console_.log[1].rfind("Conf.xml: the server answered 404", 0), 0u) << console_.log[1];

  // Nothing more is fetched until the error is cleared; a portal's page is no catalogue either.
  server_.PortalPage(true);
  EXPECT_FALSE(files.DownloadProgramFile("Conf.xml"));
  EXPECT_EQ(server_.Requests().size(), 1u);
  files.ClearNetError();
  EXPECT_FALSE(files.DownloadProgramFile("Conf.xml"));
  EXPECT_EQ(Local("Conf.xml"), "<KEEP></KEEP>");
  server_.PortalPage(false);
  server_.Put("Conf.xml", "<?xml version=\"1.0\"?>\n<NEW></NEW>", Serve::kAsText);
  files.ClearNetError();
  EXPECT_TRUE(files.DownloadProgramFile("Conf.xml")) << "a catalogue is text";
}

TEST_F(FirmwareFilesTest, TheWindowIsCalledBackWhileAServerIsSlow) {
  server_.Put("fw5.bin", Image('5'));
  server_.Put("fw5.hea", Image('h'));
  server_.Hang();
  HttpOptions options;
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

  // Nobody listening at all fails the same way as any other failed transfer.
  RecordingConsole console;
  FirmwareFiles nobody(folder_.Path(), "http://127.0.0.1:1/fw/", console);
  nobody.SetInternetConexion(true);
  EXPECT_FALSE(nobody.DownloadProgramFile("fw3"));
  EXPECT_EQ(console.log.at(0), kNotAvailableMessage);
}

TEST_F(FirmwareFilesTest, TheOfflineCacheServesOnlyWhatItStoredIntact) {
  FirmwareFiles files = Files();  // offline unless told otherwise
  ASSERT_TRUE(files.StoreInCache("fw4", Image('4'), "header").ok);
  ASSERT_TRUE(files.DownloadProgramFile("fw4"));
  EXPECT_EQ(Local("firmware.bin"), Image('4'));
  EXPECT_EQ(Local("firmware.hea"), "header");
  EXPECT_TRUE(server_.Requests().empty());

  // A miss leaves no firmware from the hit before it, and is no damage.
  WriteFile(folder_ / "fw5.hea", "header without body");
  EXPECT_FALSE(files.DownloadProgramFile("fw5"));
  EXPECT_TRUE(files.NetError());
  EXPECT_FALSE(files.CacheDamaged());
  EXPECT_FALSE(Exists("firmware.bin"));
  EXPECT_FALSE(Exists("firmware.hea"));

  // Random bytes in place of the stored image, a header changed, a checksum gone: refused as damaged.
  for (const char* damage : {"fw4.bin", "fw4.hea", "fw4.bin.sha256"}) {
    SCOPED_TRACE(damage);
    ASSERT_TRUE(files.StoreInCache("fw4", Image('4'), "header").ok);
    std::filesystem::path damaged = folder_ / damage;
    if (damaged.extension() == ".sha256") {
      std::filesystem::remove(damaged);
    } else {
      std::string bytes = ReadFile(damaged);
      bytes[bytes.size() / 2] ^= 0x5a;
      WriteFile(damaged, bytes);
    }
    files.ClearNetError();
    console_.log.clear();
    EXPECT_FALSE(files.DownloadProgramFile("fw4"));
    EXPECT_TRUE(files.NetError());
    EXPECT_TRUE(files.CacheDamaged());
    EXPECT_FALSE(Exists("firmware.bin"));
    ASSERT_EQ(console_.log.size(), 2u);
    EXPECT_NE(console_.log[1].find("offline copy"), std::string::npos) << console_.log[1];
  }
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

TEST(FirmwareFolders, TheCommandLineWinsOverTheEnvironmentWhichWinsOverTheSetting) {
  test::TempFolder maker;
  setenv("VELT_HOME", maker.Path().c_str(), 1);
  unsetenv("FIRMLOADER_HOME");
  EXPECT_EQ(FirmloaderHome(), maker.Path() + "/firmloader");
  setenv("FIRMLOADER_HOME", "/srv/tool", 1);
  EXPECT_EQ(FirmloaderHome(), "/srv/tool");
  unsetenv("FIRMLOADER_HOME");
  unsetenv("VELT_HOME");

  unsetenv("FIRMLOADER_SERVER");
  EXPECT_EQ(FirmwareServerFolder(""), kDefaultFirmwareServer);
  EXPECT_EQ(FirmwareServerFolder("http://site/fw"), "http://site/fw/");
  setenv("FIRMLOADER_SERVER", "http://127.0.0.1:9/x/", 1);
  EXPECT_EQ(FirmwareServerFolder("http://site/fw"), "http://127.0.0.1:9/x/");
  EXPECT_EQ(FirmwareServerFolder("http://site/fw", "http://127.0.0.1:8/cli"), "http://127.0.0.1:8/cli/");
  unsetenv("FIRMLOADER_SERVER");
}

}  // namespace
}  // namespace tabulo
