#include "switchwriter.h"

#include "calixoini.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

using calixo::SSwitchValue;
using calixo::WithSwitchValues;

namespace {
const std::string &T() { return TCalixoini::DefaultTemplate(); }
// ";节日" in GBK, and a comment whose second byte of a character is ']'.
const std::string kGbkComment = ";\xBD\xDA\xC8\xD5\r\n";
const std::string kTrailBracket = "[\xB5]x]\r\n";
}  // namespace

// Only the switches' own lines change; everything else keeps its bytes and
// its place, the template first of all.
TEST(SwitchWriter, ChangesOnlyTheSwitchLines) {
  const std::vector<SSwitchValue> lunarOff = {{"Lunar", "Extended", "0"}, {"Lunar", "Festivals", "1"}};
  const struct {
    const char *what;
    std::string file;
    std::vector<SSwitchValue> values;
    std::string want;
  } rows[] = {
      {"a new file is the template and the section", "", lunarOff,
       T() + "[Lunar]\r\nExtended=0\r\nFestivals=1\r\n"},
      {"the template alone", T(), lunarOff, T() + "[Lunar]\r\nExtended=0\r\nFestivals=1\r\n"},
      {"present keys change in place, in any letter case, their comments kept",
       T() + "[lunar]\r\n" + kGbkComment + "EXTENDED = 1\r\n" + kGbkComment + "festivals=0\r\n[Mine]\r\na=b\r\n",
       lunarOff,
       T() + "[lunar]\r\n" + kGbkComment + "Extended=0\r\n" + kGbkComment + "Festivals=1\r\n[Mine]\r\na=b\r\n"},
      {"a missing key goes to the end of its section, before blank lines",
       T() + "[Lunar]\r\nExtended=1\r\n\r\n[Other]\r\nx=1\r\n", lunarOff,
       T() + "[Lunar]\r\nExtended=0\r\nFestivals=1\r\n\r\n[Other]\r\nx=1\r\n"},
      {"a commented-out key is not the key", T() + "[Lunar]\r\n;Extended=1\r\n",
       {{"Lunar", "Extended", "0"}}, T() + "[Lunar]\r\n;Extended=1\r\nExtended=0\r\n"},
      {"the same key in another section is left alone", T() + "[Other]\r\nExtended=1",
       {{"Lunar", "Extended", "0"}}, T() + "[Other]\r\nExtended=1\r\n[Lunar]\r\nExtended=0\r\n"},
      {"the first of two is the one read and changed",
       T() + "[Lunar]\r\nExtended=1\r\n[Lunar]\r\nExtended=1\r\n", {{"Lunar", "Extended", "0"}},
       T() + "[Lunar]\r\nExtended=0\r\n[Lunar]\r\nExtended=1\r\n"},
      {"LF line ends stay LF", T() + "[Lunar]\nExtended=1\n", {{"Lunar", "Extended", "0"}},
       T() + "[Lunar]\nExtended=0\n"},
      {"a GBK ']' trail byte does not end a section name",
       T() + kTrailBracket + "Extended=1\r\n", {{"Lunar", "Extended", "0"}},
       T() + kTrailBracket + "Extended=1\r\n[Lunar]\r\nExtended=0\r\n"},
      {"a text value is kept on its one line", T(), {{"Sync", "URL", "http://h/cal/\r\nEnabled=0"}},
       T() + "[Sync]\r\nURL=http://h/cal/Enabled=0\r\n"},
      {"a file without the template keeps what it has",
       "; mine\r\n[Monthbmp]\r\nM1=a.bmp\r\n", {{"Lunar", "Extended", "0"}},
       "; mine\r\n[Monthbmp]\r\nM1=a.bmp\r\n[Lunar]\r\nExtended=0\r\n"},
  };
  for (const auto &r : rows) {
    SCOPED_TRACE(r.what);
    const std::string got = WithSwitchValues(r.file, r.values);
    EXPECT_EQ(got, r.want);
    if (r.file.substr(0, T().size()) == T() || r.file.empty()) {
      EXPECT_EQ(got.substr(0, T().size()), T());
    }
  }
}

class SwitchFile : public TempDirTest {};

TEST_F(SwitchFile, WritesTheFileAndReportsAFolderItCannotWrite) {
  std::ofstream("Calixo.ini", std::ios::binary) << T() << "[Lunar]\r\nExtended=1\r\n";
  std::string error;
  ASSERT_TRUE(calixo::WriteSwitchValues("Calixo.ini", {{"Lunar", "Extended", "0"}}, error)) << error;
  EXPECT_FALSE(TCalixoini().LunarExtended());
  std::ifstream in("Calixo.ini", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), T() + "[Lunar]\r\nExtended=0\r\n");
  EXPECT_FALSE(std::filesystem::exists("Calixo.ini.new"));

  if (::geteuid() == 0)
    GTEST_SKIP() << "root writes into a read-only folder";
  ::chmod(".", 0555);
  EXPECT_FALSE(calixo::WriteSwitchValues("Calixo.ini", {{"Lunar", "Extended", "1"}}, error));
  EXPECT_NE(error.find("Calixo.ini"), std::string::npos) << error;
  ::chmod(".", 0755);
  EXPECT_FALSE(TCalixoini().LunarExtended());
}
