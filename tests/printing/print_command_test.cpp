// tabulo print end to end: a project written to disk, printed to PDF, and the PDF read back by poppler.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "designer/document/catalogue_lookup.h"
#include "designer/document/menu_document.h"
#include "designer/storage/project_files.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

using test::BuiltProgram;
using test::RunProgram;

// A word of a PDF page as pdftotext -bbox finds it, in millimetres from the paper's corner.
struct Word {
  int page = 0;
  double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
  std::string text;
};

std::vector<Word> Words(const std::string& pdf) {
  const std::string html = RunProgram("/usr/bin/pdftotext", {"-bbox", pdf, "-"}).out;
  std::vector<Word> words;
  int page = 0;
  const std::regex item(
      R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  constexpr double kMmPerPoint = 25.4 / 72;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), item); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    if (!m[1].matched) {
      ++page;
      continue;
    }
    words.push_back({page, std::stod(m[1]) * kMmPerPoint, std::stod(m[2]) * kMmPerPoint,
                     std::stod(m[3]) * kMmPerPoint, std::stod(m[4]) * kMmPerPoint, m[5]});
  }
  return words;
}

const Word* Find(const std::vector<Word>& words, const std::string& text) {
  for (const Word& word : words) {
    if (word.text == text) return &word;
  }
  return nullptr;
}

// A 2 x 2 pixel PNG file, as any program writes it.
const std::string kSmallPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x02"
    "\x00"
    "\x00\x00\xfd\xd4\x9a\x73\x00\x00\x00\x11\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf\xc0\x00\x44\x0c\x60\xf2\x3f"
    "\x00\x1b\xf2\x03\xfd\xf3\xe7\x4b\xb1\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    74);

class PrintCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    auto doc = std::make_unique<MenuDocument>();
    ResetDocument(*doc);
    ApplyDefaultLanguageNames(*doc);
    AppendPlu(*doc, "7", "2.50", "Sopa do dia");
    doc->Botoes[SlotOf(1, 0)] = 7;
    doc->LineLayout[SlotOf(1, 0)].Kind = kKindPlu;
    doc->Lang(7, 2) = "Soup of the day";
    doc->LineLayout[SlotOf(1, 0)].TitleText = "Entradas";
    doc->LineLayout[SlotOf(1, 0)].TitleBackColor = "255";
    LineLayoutRecord& title = doc->LineLayout[SlotOf(2, 3)];
    title.Kind = kKindTitle;
    title.Text = "Sobremesas";
    doc->Lang(kLangRowLineText + SlotOf(2, 3), 2) = "Desserts";
    project_ = folder_ / "menu.TB1";
    ASSERT_TRUE(SaveProjectAs(*doc, project_).ok);
  }

  test::ProgramRun Print(std::vector<std::string> options) {
    std::vector<std::string> args = {"print", project_, "--pdf", pdf_};
    args.insert(args.end(), options.begin(), options.end());
    return RunProgram(BuiltProgram("tabulo"), args, {"QT_QPA_PLATFORM=offscreen"});
  }

  std::string Text() { return RunProgram("/usr/bin/pdftotext", {"-layout", pdf_, "-"}).out; }
  int Pages() {
    std::string info = RunProgram("/usr/bin/pdfinfo", {pdf_}).out;
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
  }

  test::TempFolder folder_;
  std::string project_;
  std::string pdf_ = folder_ / "cards.pdf";
};

TEST_F(PrintCommand, AllPagesFrontsAndBacksWithTheirTexts) {
  auto run = Print({});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // Front 1, back 1 (its group title), front 2; page 2's back would carry a header only.
  EXPECT_EQ(run.out, "3 sheets written to " + pdf_ + "\n");
  EXPECT_EQ(Pages(), 3);
  std::string text = Text();
  for (const char* expected : {"Sopa do dia", "2.50\u20ac", "Page A / Plaque K418B", "Page B / Plaque K418A",
                               "Entradas", "Sobremesas", "D", "E"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
  }
  EXPECT_EQ(text.find("Soup of the day"), std::string::npos);
  // Sheets in order: front 1, back 1, front 2.
  EXPECT_LT(text.find("Sopa do dia"), text.find("Entradas"));
  EXPECT_LT(text.find("Entradas"), text.find("Sobremesas"));
}

TEST_F(PrintCommand, OptionsChooseSidesPagesAndLanguages) {
  auto run = Print({"--fronts", "--languages", "2,1", "--no-lines"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 2);
  std::string text = Text();
  EXPECT_NE(text.find("Soup of the day"), std::string::npos) << text;
  EXPECT_NE(text.find("Sopa do dia"), std::string::npos) << text;  // the second language below it
  EXPECT_NE(text.find("Desserts"), std::string::npos) << text;
  EXPECT_EQ(text.find("Page B"), std::string::npos) << text;

  // Page 2's back has nothing of its own: no sheet for it.
  run = Print({"--page", "2"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 1);
  text = Text();
  EXPECT_NE(text.find("Sobremesas"), std::string::npos) << text;
  EXPECT_EQ(text.find("Sopa"), std::string::npos) << text;

  run = Print({"--backs"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 1);
  EXPECT_EQ(Text().find("Page A"), std::string::npos);
}

TEST_F(PrintCommand, NothingToPrintAndBadRequests) {
  // Fronts in a language nothing is translated into: nothing printed, no file.
  auto run = Print({"--fronts", "--languages", "5"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(std::filesystem::exists(pdf_));

  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{{"--languages", "1,1"},
                                                                            {"--page", "15"},
                                                                            {"--page", "2.5"},
                                                                            {"--page", "1e300"},
                                                                            {"--all", "--backs"},
                                                                            {"--colour"}}) {
    run = Print(bad);
    EXPECT_EQ(run.exit_code, 2) << bad[0];
    EXPECT_NE(run.err.find("tabulo: "), std::string::npos);
  }
  run = RunProgram(BuiltProgram("tabulo"), {"print", folder_ / "missing.TB1", "--pdf", pdf_});
  EXPECT_EQ(run.exit_code, 2);
  run = RunProgram(BuiltProgram("tabulo"), {"print", project_});
  EXPECT_EQ(run.exit_code, 2);
  // A file that cannot be written is an error, not a success.
  run = RunProgram(BuiltProgram("tabulo"), {"print", project_, "--pdf", folder_ / "no/such/folder/x.pdf"},
                   {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

// The cards as a printer gets them: long names end before the price column, prices print whole in any
// currency, pictures written on Windows are found and a missing one is named, untranslated lines are listed.
TEST_F(PrintCommand, RealMenuCardsOnPaper) {
  std::filesystem::create_directories(folder_ / "Fotos");
  test::WriteFile(folder_ / "wide.png", kSmallPng);
  test::WriteFile(folder_ / "Fotos/group.png", kSmallPng);
  for (const std::string currency : {"\u20ac", "CHF", "$"}) {
    auto doc = std::make_unique<MenuDocument>();
    ResetDocument(*doc);
    ApplyDefaultLanguageNames(*doc);
    doc->Currency = currency;
    AppendPlu(*doc, "7", "12.50", "Sopa");
    AppendPlu(*doc, "8", "1234.50",
              "Grilled sea bass with lemon butter capers new potatoes and a green salad");
    AppendPlu(*doc, "9", "99999.99", "Bife");
    for (int line = 0; line < 3; ++line) {
      doc->Botoes[SlotOf(1, line)] = 7 + line;
      doc->LineLayout[SlotOf(1, line)].Kind = kKindPlu;
    }
    doc->Lang(7, 2) = "Soup";
    doc->Lang(8, 2) = "Sea bass";
    doc->PagePictureA[1] = "D:\\Fotos\\Wide.PNG";
    LineLayoutRecord& group = doc->LineLayout[SlotOf(1, 4)];
    group.TitleMark = kTitleMarkStart;
    group.TitlePicture = "fotos\\GROUP.png";  // the folder's letter case differs too: not found
    group.TitleText = "Peixe";
    ASSERT_TRUE(SaveProjectAs(*doc, project_).ok);

    auto run = Print({"--page", "1", "--origin", "paper"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err.find("Wide.PNG"), std::string::npos) << run.err;
    // Named as the project holds it: a picture found nowhere keeps its path.
    EXPECT_NE(run.err.find("warning: Picture not found: fotos\\GROUP.png"), std::string::npos) << run.err;
    const std::vector<Word> words = Words(pdf_);
    for (const Word& word : words) {
      if (word.page == 1 && word.y_min > 59 && word.y_min < 59 + 6.88 * 3 && word.x_min < 160) {
        EXPECT_LT(word.x_max, 165) << word.text;  // every word of the names
      }
    }
    const std::string euro_last = currency == "\u20ac" ? "\u20ac" : "";
    const std::string symbol_first = currency == "\u20ac" ? "" : currency;
    for (const char* price : {"12.50", "1234.50", "99999.99"}) {
      const Word* printed = Find(words, symbol_first + price + euro_last);
      ASSERT_NE(printed, nullptr) << currency << price << " in\n" << Text();
      EXPECT_NEAR(printed->x_min, 165, 1);
      EXPECT_LT(printed->x_max, 47 + 142);  // on the card
    }

    run = Print({"--page", "1", "--languages", "2"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.err.find("warning: no text in the chosen language, not printed: Page 1, line 3: Bife"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("line 1:"), std::string::npos) << run.err;
  }
}

// Pictures kept in a sub-folder of the project travel with the project folder: moved elsewhere, the project
// prints them, whether it names them relative to its folder or (as older projects did) with the full path of
// the folder it was in.
TEST_F(PrintCommand, PicturesInASubFolderMoveWithTheProject) {
  const std::string before = folder_ / "before";
  std::filesystem::create_directories(before + "/pics");
  // Two pictures of their own size and colour, as any image program writes them (PPM).
  auto picture = [](int width, int height, char red) {
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
           std::string(static_cast<size_t>(width * height * 3), red);
  };
  test::WriteFile(before + "/pics/front.ppm", picture(60, 80, 'x'));
  test::WriteFile(before + "/pics/group.ppm", picture(90, 30, 'y'));
  auto doc = std::make_unique<MenuDocument>();
  ResetDocument(*doc);
  ApplyDefaultLanguageNames(*doc);
  AppendPlu(*doc, "7", "2.50", "Sopa");
  doc->Botoes[SlotOf(1, 0)] = 7;
  doc->LineLayout[SlotOf(1, 0)].Kind = kKindPlu;
  LineLayoutRecord& group = doc->LineLayout[SlotOf(1, 0)];
  group.TitleMark = kTitleMarkStart;
  group.TitleText = "Sopas";
  doc->PagePictureA[1] = before + "/pics/front.ppm";
  group.TitlePicture = before + "/pics/group.ppm";
  ASSERT_TRUE(SaveProjectAs(*doc, before + "/menu.TB1").ok);
  // Saved below its own folder, a picture is named relative to it.
  EXPECT_NE(test::ReadFile(before + "/menu_printer.txt").find("\r\npics/front.ppm\r\n"), std::string::npos);
  EXPECT_NE(test::ReadFile(before + "/menu_Layout.txt").find("\r\npics/group.ppm\r\n"), std::string::npos);
  const std::string old_layout = test::ReadFile(before + "/menu_Layout.txt");

  auto images = [this](const std::string& project) {
    test::ProgramRun run =
        RunProgram(BuiltProgram("tabulo"), {"print", project, "--pdf", pdf_, "--page", "1"},
                   {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.err.find("Picture"), std::string::npos) << run.err;
    // pdfimages lists one row per image after two header lines.
    const std::string list = RunProgram("/usr/bin/pdfimages", {"-list", pdf_}).out;
    return static_cast<int>(std::count(list.begin(), list.end(), '\n')) - 2;
  };
  const std::string after = folder_ / "elsewhere/menu copy";
  std::filesystem::create_directories(folder_ / "elsewhere");
  std::filesystem::rename(before, after);
  EXPECT_EQ(images(after + "/menu.TB1"), 2) << "the page picture and the group picture";

  // An older project named them with the full path of its former folder.
  std::string layout = old_layout;
  layout.replace(layout.find("pics/group.ppm"), 14, "C:\\Menus\\Summer\\pics\\group.ppm");
  test::WriteFile(after + "/menu_Layout.txt", layout);
  std::string printer = test::ReadFile(after + "/menu_printer.txt");
  printer.replace(printer.find("pics/front.ppm"), 14, before + "/pics/front.ppm");
  test::WriteFile(after + "/menu_printer.txt", printer);
  EXPECT_EQ(images(after + "/menu.TB1"), 2);
  // A picture that is really gone is named as the project names it.
  std::filesystem::remove(after + "/pics/group.ppm");
  test::ProgramRun run =
      RunProgram(BuiltProgram("tabulo"), {"print", after + "/menu.TB1", "--pdf", pdf_, "--page", "1"},
                 {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_NE(run.err.find("warning: Picture not found: C:\\Menus\\Summer\\pics\\group.ppm"), std::string::npos)
      << run.err;
}

TEST_F(PrintCommand, CalibrationSheetAtTheMarginsWithMillimetreRulers) {
  auto doc = std::make_unique<MenuDocument>();
  ResetDocument(*doc);
  doc->MarginXDescr = 40;
  doc->MarginXPrice = 150;
  doc->MarginY = 30;
  ASSERT_TRUE(SaveProjectAs(*doc, project_).ok);  // an empty menu can still be calibrated
  auto run = Print({"--calibration", "--origin", "paper"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(Pages(), 1);
  const std::vector<Word> words = Words(pdf_);
  // The ruler's numbers stand beside their ticks, millimetres from the paper's corner.
  for (int mm : {50, 100, 150}) {
    auto top = std::find_if(words.begin(), words.end(),
                            [&](const Word& w) { return w.text == std::to_string(mm) && w.y_min < 12; });
    ASSERT_NE(top, words.end()) << mm;
    EXPECT_NEAR(top->x_min, mm + 0.5, 0.6) << mm;
    auto left = std::find_if(words.begin(), words.end(),
                             [&](const Word& w) { return w.text == std::to_string(mm) && w.x_min < 12; });
    ASSERT_NE(left, words.end()) << mm;
    EXPECT_NEAR(left->y_max, mm, 1.5) << mm;  // beside its tick
  }
  // The caption under the card at its left margin names the margins it was drawn at.
  const Word* caption = Find(words, "Margin");
  ASSERT_NE(caption, nullptr);
  EXPECT_NEAR(caption->x_min, 40, 0.6);
  EXPECT_GT(caption->y_min, 30 + 172);
  const std::string text = Text();
  EXPECT_NE(text.find("Margin X (Descr.) 40 mm, Margin X (Price) 150 mm, Margin Y 30 mm"), std::string::npos)
      << text;
}

// A real print server: cupsd on a free port of 127.0.0.1 with a configuration of its own (not the
// system's) and one printer, "PDF", the cups-pdf backend writing each job as a PDF file into the
// printing user's ~/PDF (the backend's own setting).
class CupsServer {
 public:
  explicit CupsServer(const std::string& root) : root_(root) {
    for (const char* folder : {"ppd", "spool", "tmp", "cache", "state", "log"})
      std::filesystem::create_directories(root + "/" + folder);
    // cupsd runs the filters as "lp": they must reach the spool and the temporary folder.
    std::filesystem::permissions(std::filesystem::path(root).parent_path(),
                                 std::filesystem::perms::others_exec | std::filesystem::perms::group_exec,
                                 std::filesystem::perm_options::add);
    std::filesystem::permissions(
        root, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                  std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                  std::filesystem::perms::others_exec);
    std::filesystem::permissions(root + "/tmp",
                                 std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    std::filesystem::permissions(root + "/spool", std::filesystem::perms::all);
    port_ = FreePort();
    Write("cups-files.conf", "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nTempDir " + root +
                                 "/tmp\nCacheDir " + root + "/cache\nStateDir " + root + "/state\nErrorLog " +
                                 root + "/log/error_log\nAccessLog " + root + "/log/access_log\nPageLog " +
                                 root + "/log/page_log\nDataDir /usr/share/cups\nServerBin /usr/lib/cups\n" +
                                 "User lp\nGroup lp\nSystemGroup root\n");
    Write("cupsd.conf",
          "Listen 127.0.0.1:" + std::to_string(port_) +
              "\nLogLevel info\nWebInterface No\nBrowsing No\n<Location />\n  Order allow,deny\n"
              "  Allow all\n</Location>\n");
    Write("printers.conf",
          "<DefaultPrinter PDF>\nDeviceURI cups-pdf:/\nState Idle\nAccepting Yes\nShared "
          "No\n</DefaultPrinter>\n");
    // cups-pdf names its file after the job's title and number: servers of tests running at once number their
    // jobs from their own port, so that they never write to the same file.
    Write("cache/job.cache", "NextJobId " + std::to_string(port_ * 100) + "\n");
    std::filesystem::copy_file("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", root + "/ppd/PDF.ppd");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setsid();
      const std::string conf = root + "/cupsd.conf";
      const std::string files = root + "/cups-files.conf";
      ::execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr);
      ::_exit(127);
    }
    // Ready when it accepts connections; a server that never does fails the test, whatever the machine's
    // pace.
    for (int attempt = 0; attempt < 300 && !Accepts(); ++attempt) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~CupsServer() {
    if (pid_ > 0) {
      ::kill(-pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }

  bool Running() const { return pid_ > 0 && Accepts(); }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Log() const {
    std::ifstream in(root_ + "/log/error_log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
  }
  bool Accepts() const {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
  }
  void Write(const std::string& name, const std::string& text) { test::WriteFile(root_ + "/" + name, text); }

  std::string root_;
  int port_ = 0;
  pid_t pid_ = -1;
};

// The PDF files cups-pdf has written for this user, with the time each was last written. A file left by an
// earlier run on the same port has the name of this run's job and is replaced under it, so a new output is
// told by its time, not by its name.
using CupsPdfFiles = std::map<std::string, std::filesystem::file_time_type>;
CupsPdfFiles CupsPdfOutputs() {
  CupsPdfFiles files;
  const passwd* user = ::getpwuid(::getuid());
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(user->pw_dir) + "/PDF", error))
    if (entry.path().extension() == ".pdf") files[entry.path()] = entry.last_write_time(error);
  return files;
}

// The file the next job writes, once the server has completed the job; "" when none came.
std::string AwaitNewOutput(const CupsPdfFiles& before, const CupsServer& server) {
  for (int attempt = 0; attempt < 600 && server.Running(); ++attempt) {
    const bool pending = !RunProgram("/usr/bin/lpstat", {"-h", server.Address(), "-o"}).out.empty();
    if (!pending) {
      for (const auto& [file, written] : CupsPdfOutputs()) {
        auto earlier = before.find(file);
        if (earlier == before.end() || earlier->second != written) return file;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return {};
}

// `tabulo print --printer` through a real print server, as the designer prints: the job arrives as the
// cards, and the positions on the printed paper are those of the PDF file made for the same printer.
TEST_F(PrintCommand, PrintsOnARealCupsPrinterWhereThePdfSaysItWill) {
  // The cups-pdf backend is root's alone (mode 0700) and writes as the job's owner: cupsd runs it only when
  // cupsd itself was started by root.
  if (::geteuid() != 0) GTEST_SKIP() << "a print server with the cups-pdf backend needs root";
  test::TempFolder scratch;
  CupsServer cups(scratch / "cups");
  ASSERT_TRUE(cups.Running()) << cups.Log();
  const std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen", "CUPS_SERVER=" + cups.Address()};

  auto run = RunProgram(BuiltProgram("tabulo"), {"print", project_, "--printer", "Nowhere"}, environment);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("no printer named Nowhere"), std::string::npos) << run.err;

  CupsPdfFiles before = CupsPdfOutputs();
  run =
      RunProgram(BuiltProgram("tabulo"), {"print", project_, "--printer", "PDF", "--page", "1"}, environment);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "2 sheets sent to printer PDF\n");
  const std::string printed = AwaitNewOutput(before, cups);
  ASSERT_FALSE(printed.empty()) << cups.Log();
  const std::vector<Word> on_paper = Words(printed);
  std::filesystem::remove(printed);

  run = RunProgram(BuiltProgram("tabulo"), {"print", project_, "--pdf", pdf_, "--page", "1"}, environment);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::vector<Word> in_file = Words(pdf_);
  // The print path turns the fonts into glyph drawings that pdftotext cannot spell, so the printed words
  // are matched by place and length: each word of the PDF file has one of as many characters where it is.
  // Each drawn font numbers its glyphs from code 0, and pdftotext drops the character of code 0 although the
  // glyph is on the paper: a word may read one character short, and when that is its first character, it
  // begins one letter late but still ends where the PDF file's word ends.
  auto codepoints = [](const std::string& text) {
    return std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
  };
  auto printed_at = [&](const std::vector<Word>& words, int page, double x_min, double x_max, double y_middle,
                        long length) {
    return std::find_if(words.begin(), words.end(), [&](const Word& w) {
             const long read = codepoints(w.text);
             const bool starts_there =
                 std::abs(w.x_min - x_min) < 0.5 && (read == length || read == length - 1);
             const bool ends_there = std::abs(w.x_max - x_max) < 0.5 && read == length - 1;
             return w.page == page && (starts_there || ends_there) &&
                    std::abs((w.y_min + w.y_max) / 2 - y_middle) < 4;
           }) != words.end();
  };
  std::string printed_words;
  for (const Word& w : on_paper)
    printed_words += std::to_string(w.page) + " " + std::to_string(w.x_min) + " " + std::to_string(w.y_min) +
                     " " + std::to_string(w.y_max) + " " + std::to_string(codepoints(w.text)) + "\n";
  int matched = 0;
  for (const char* text : {"Sopa", "dia", "Entradas", "Page"}) {
    const Word* file = Find(in_file, text);
    ASSERT_NE(file, nullptr) << text;
    EXPECT_TRUE(printed_at(on_paper, file->page, file->x_min, file->x_max, (file->y_min + file->y_max) / 2,
                           codepoints(text)))
        << text << " at " << file->x_min << " " << file->y_min << " " << file->y_max << " among\n"
        << printed_words;
    ++matched;
  }
  EXPECT_EQ(matched, 4);
  EXPECT_EQ(Find(in_file, "Entradas")->page, 2);  // the back on the second sheet, on paper too

  // From the paper's corner the printer puts the text column at 47 mm, as the PDF does.
  before = CupsPdfOutputs();
  run = RunProgram(BuiltProgram("tabulo"),
                   {"print", project_, "--printer", "PDF", "--fronts", "--origin", "paper"}, environment);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string from_paper = AwaitNewOutput(before, cups);
  ASSERT_FALSE(from_paper.empty()) << cups.Log();
  const std::vector<Word> paper_words = Words(from_paper);
  std::filesystem::remove(from_paper);
  // "Sopa" on line 1: 4 characters at x 47 mm, as wide as in the PDF file, centred on y 59 + 2.5 mm.
  const Word* sopa = Find(in_file, "Sopa");
  EXPECT_TRUE(printed_at(paper_words, 1, 47, 47 + sopa->x_max - sopa->x_min, 61.5, 4));
}

}  // namespace
}  // namespace tabulo
