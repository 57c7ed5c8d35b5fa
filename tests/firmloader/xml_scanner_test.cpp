// The catalogue scanner and the program list on catalogues as the server may send them: well formed, with
// children missing, with no elements, with a key twice, and plain garbage.

#include "firmloader/xml_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "firmloader/program_catalogue.h"
#include "tests/support/temp_folder.h"

namespace tabulo {
namespace {

const char* const kCatalogue =
    "<BASE1>\r\n"
    "  <Descricao>Base station 2.1</Descricao>\r\n"
    "  <Hardware>Antena</Hardware>\r\n"
    "  <Filename> base21 </Filename>\r\n"
    "  <RadioKhz>\r\n    91700\r\n  </RadioKhz>\r\n"
    "  <BaseName>VELT1</BaseName>\r\n"
    "</BASE1>\r\n"
    "<MENU7>\r\n"
    "  <Descricao>Caf\xe9 menu terminal</Descricao>\r\n"
    "  <Hardware>Ementa</Hardware>\r\n"
    "  <Filename>menu7</Filename>\r\n"
    "</MENU7>\r\n";

std::vector<std::string> Walk(XmlScanner& scanner) {
  std::vector<std::string> keys;
  for (std::string key = scanner.XmlFirstElement(); !key.empty(); key = scanner.XmlNextElement()) {
    keys.push_back(key);
    if (keys.size() > 100) break;  // a walk that does not end fails here instead of hanging
  }
  return keys;
}

XmlScanner Scanner(const std::string& text) {
  XmlScanner scanner;
  scanner.SetText(text);
  return scanner;
}

TEST(XmlScanner, WalksTheElementsAndReadsTheirTrimmedChildren) {
  XmlScanner scanner = Scanner(kCatalogue);
  EXPECT_EQ(Walk(scanner), (std::vector<std::string>{"BASE1", "MENU7"}));
  // The end of the walk says so again, and a new walk starts from the first element.
  EXPECT_EQ(scanner.XmlNextElement(), "");
  EXPECT_EQ(scanner.XmlFirstElement(), "BASE1");

  EXPECT_EQ(scanner.Value("BASE1\\Filename"), "base21");
  EXPECT_EQ(scanner.Value("BASE1\\RadioKhz"), "91700");  // line breaks around a value are not part of it
  EXPECT_EQ(scanner.Value("MENU7\\Hardware"), "Ementa");
  // A path looks only inside the element it names, never at a neighbour's child of the same name.
  EXPECT_EQ(scanner.Value("MENU7\\BaseName"), "");
  EXPECT_EQ(scanner.Value("MENU7\\Hardware\\Deeper"), "");
  EXPECT_EQ(XmlValue("<a><b><c> 3 </c></b></a>", "a\\b\\c"), "3");
  EXPECT_EQ(XmlValue("<a><b>1</b></a>", "a\\\\b"), "");  // an empty name in the path finds nothing
  EXPECT_EQ(XmlValue("<a><b>1</b></a>", ""), "");

  ProgramEntry base = ReadProgram(scanner, "BASE1");
  EXPECT_EQ(base.Hardware, "Antena");
  EXPECT_EQ(base.BaseName, "VELT1");
  std::vector<ProgramRow> rows = LoadProgramList(scanner);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].key, "MENU7");
  EXPECT_EQ(rows[1].description, "Caf\xc3\xa9 menu terminal");  // the catalogue's bytes are Windows-1252
}

TEST(XmlScanner, ADeclarationAndCommentsArePassedOverAndUtf8IsReadAsUtf8) {
  const std::string programs =
      "<!-- programs of 2026 -->\n<!DOCTYPE catalogue>\n"
      "<MENU7><Descricao>Caf\xc3\xa9 \xe2\x82\xac \xd0\x9c\xd0\xb5\xd0\xbd\xd1\x8e</Descricao>"
      "<!-- <Filename>old</Filename> --><Filename>menu7</Filename></MENU7>\n"
      "<!--<OLD><Descricao>withdrawn</Descricao></OLD>-->\n"
      "<BASE1><Descricao>Base</Descricao></BASE1><!-- never closed <LAST></LAST>";
  for (const std::string& text : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + programs,
                                  "\xEF\xBB\xBF<?xml version=\"1.0\"?>" + programs, programs}) {
    XmlScanner scanner = Scanner(text);
    std::vector<ProgramRow> rows = LoadProgramList(scanner);
    ASSERT_EQ(rows.size(), 2u) << text;
    EXPECT_EQ(rows[0].key, "MENU7");
    EXPECT_EQ(rows[0].description, "Caf\xc3\xa9 \xe2\x82\xac \xd0\x9c\xd0\xb5\xd0\xbd\xd1\x8e");
    EXPECT_EQ(ReadProgram(scanner, "MENU7").Filename, "menu7");
    EXPECT_EQ(rows[1].key, "BASE1");
  }
}

TEST(ProgramCatalogue, RadioAndNameAreCheckedAgainstWhatTheBaseHolds) {
  EXPECT_EQ(RadioKhzValue(" 91700 "), 91700);
  EXPECT_EQ(RadioKhzValue("1"), 1);
  for (const char* bad : {"abc", "91,7", "91.7", "-5", "0", "100000", "9170O", "", "+1"}) {
    EXPECT_EQ(RadioKhzValue(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(BaseNameBytes("CAF\xc3\x89"), "CAF\xc9");  // sent as the base's Windows-1252
  EXPECT_EQ(BaseNameBytes(" AB "), "AB");
  for (const char* bad : {"VELT12", "\xd0\x9c\xd0\xb5\xd0\xbd", "A\tB", ""}) {
    EXPECT_EQ(BaseNameBytes(bad), std::nullopt) << bad;
  }
  ProgramEntry program{"Antena", "fw", "abc", ""};
  EXPECT_EQ(
      BaseSettingsProblem(program, "B1"),
      "The radio frequency \"abc\" of program B1 is not a number from 1 to 99999 kHz: the program is not "
      "sent and the base is left as it is.");
  program = {"Antena", "fw", "91700", "VELT12"};
  EXPECT_NE(BaseSettingsProblem(program, "B1").find("\"VELT12\""), std::string::npos);
  program.BaseName = "VELT1";
  EXPECT_EQ(BaseSettingsProblem(program, "B1"), "");
}

TEST(XmlScanner, MissingChildrenReadAsEmpty) {
  XmlScanner scanner = Scanner("<P1><Hardware>Terminal</Hardware></P1><P2></P2><P3><Filename>x</P3>");
  std::vector<ProgramRow> rows = LoadProgramList(scanner);
  ASSERT_EQ(rows.size(), 3u);  // a program without a description is still listed
  EXPECT_EQ(rows[0].description, "");
  ProgramEntry p1 = ReadProgram(scanner, "P1");
  EXPECT_EQ(p1.Hardware, "Terminal");
  EXPECT_EQ(p1.Filename, "");
  EXPECT_EQ(p1.RadioKhz, "");
  EXPECT_EQ(ReadProgram(scanner, "P2").Hardware, "");
  EXPECT_EQ(ReadProgram(scanner, "P3").Filename, "");  // an opening tag without its closing one
  EXPECT_EQ(ReadProgram(scanner, "NOPE").Hardware, "");
}

TEST(XmlScanner, TextWithoutElementsGivesNoList) {
  for (const char* text : {"", "no tags at all", "   \r\n", "<", "<unclosed", ">backwards<", "<>"}) {
    XmlScanner scanner = Scanner(text);
    EXPECT_EQ(scanner.XmlFirstElement(), "") << text;
    EXPECT_TRUE(LoadProgramList(scanner).empty()) << text;
  }
  XmlScanner missing;
  test::TempFolder folder;
  EXPECT_FALSE(missing.Load(folder / "Conf.xml"));
  EXPECT_TRUE(LoadProgramList(missing).empty());
  test::WriteFile(folder / "Conf.xml", kCatalogue);
  ASSERT_TRUE(missing.Load(folder / "Conf.xml"));
  EXPECT_EQ(LoadProgramList(missing).size(), 2u);
}

TEST(XmlScanner, RepeatedKeysEndTheWalkAndListOnce) {
  XmlScanner scanner = Scanner(
      "<A><Descricao>first</Descricao></A><B><Descricao>b</Descricao></B>"
      "<A><Descricao>second</Descricao></A><C></C>");
  EXPECT_EQ(Walk(scanner), (std::vector<std::string>{"A", "B", "A", "C"}));
  std::vector<ProgramRow> rows = LoadProgramList(scanner);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].description, "first");  // every value of a key comes from its first element
  EXPECT_EQ(rows[1].key, "B");
  EXPECT_EQ(rows[2].key, "C");
}

TEST(XmlScanner, GarbageNeverHangsOrReadsOutside) {
  // An element that never closes ends the walk after it.
  XmlScanner unclosed = Scanner("<A><Descricao>a</Descricao><B></B>");
  EXPECT_EQ(Walk(unclosed), (std::vector<std::string>{"A"}));
  // A closing tag before its opening tag is not taken as the end of the value.
  EXPECT_EQ(XmlValue("</v><v>ok</v>", "v"), "ok");
  EXPECT_EQ(XmlValue("</v><v>never closed", "v"), "");
  // A stray closing tag after an element is walked over like a tag and then ends the walk.
  XmlScanner stray = Scanner("<A></A></junk><B></B>");
  EXPECT_EQ(Walk(stray), (std::vector<std::string>{"A", "/junk"}));

  // More rows than the list keeps keys for.
  std::string many;
  for (int i = 0; i < 1100; ++i) many += "<K" + std::to_string(i) + "></K" + std::to_string(i) + ">";
  XmlScanner big = Scanner(many);
  std::vector<ProgramRow> rows = LoadProgramList(big);
  ASSERT_EQ(rows.size(), kMaxPrograms);
  EXPECT_EQ(rows.back().key, "K1000");

  // Random text made of the characters that matter to the scanner: every walk ends within the number of
  // "<" in the text, and values are always pieces of the text.
  std::mt19937 random(7);
  const std::string alphabet("<>/\\ab \r\n\0\xff", 11);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    size_t length = random() % 60;
    for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    XmlScanner scanner = Scanner(text);
    size_t tags = std::count(text.begin(), text.end(), '<');
    size_t steps = 0;
    for (std::string key = scanner.XmlFirstElement(); !key.empty(); key = scanner.XmlNextElement()) {
      ASSERT_LE(++steps, tags) << text;
      std::string value = scanner.Value(key + "\\b");
      EXPECT_NE(text.find(value), std::string::npos);
    }
  }
}

TEST(ProgramCatalogue, FirmwareNamesThatAreNotPlainAreRefusedWithALogLine) {
  for (const char* name : {"base21", "MENU_7-b", "x"}) EXPECT_TRUE(IsPlainFirmwareName(name)) << name;
  for (const char* name : {"", "..", "../../etc/passwd", "a/b", "a\\b", "Conf.xml", "name.", ".hidden",
                           "/abs", "c:\\velt\\x", "tab\tname"}) {
    EXPECT_FALSE(IsPlainFirmwareName(name)) << name;
  }
  EXPECT_FALSE(IsPlainFirmwareName(std::string("a\0b", 3)));

  XmlScanner scanner =
      Scanner("<OK><Filename>fw1</Filename></OK><UP><Filename>..\\..\\evil</Filename></UP><NONE></NONE>");
  RecordingConsole console;
  EXPECT_EQ(FirmwareNameOf(ReadProgram(scanner, "OK"), "OK", console), "fw1");
  EXPECT_TRUE(console.log.empty());
  EXPECT_EQ(FirmwareNameOf(ReadProgram(scanner, "UP"), "UP", console), std::nullopt);
  EXPECT_EQ(FirmwareNameOf(ReadProgram(scanner, "NONE"), "NONE", console), std::nullopt);
  ASSERT_EQ(console.log.size(), 2u);
  EXPECT_NE(console.log[0].find("..\\..\\evil"), std::string::npos);
  EXPECT_NE(console.log[1].find("NONE"), std::string::npos);
}

}  // namespace
}  // namespace tabulo
