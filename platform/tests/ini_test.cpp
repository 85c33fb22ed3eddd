#include "ini.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <string>

using calixo::profileStringFromText;
using calixo::ReadProfileString;
using namespace std::string_literals;

namespace {

struct Row {
  const char *name;
  std::string text, section, key, expected;
};

void PrintTo(const Row &r, std::ostream *os) { *os << r.name; }

class IniLookup : public ::testing::TestWithParam<Row> {};

TEST_P(IniLookup, FindsValue) {
  const Row &r = GetParam();
  EXPECT_EQ(profileStringFromText(r.text, r.section, r.key, "<default>"), r.expected);
}

const std::string kLong300(300, 'a');

// Matching: case, blanks, quotes, comments and section scope.
INSTANTIATE_TEST_SUITE_P(
    Matching, IniLookup,
    ::testing::Values(
        Row{"plain", "[A]\r\nk=v\r\n", "A", "k", "v"},
        Row{"section in other case", "[Mainbutton]\r\nB5L=x\r\n", "MAINBUTTON", "B5L", "x"},
        Row{"key written in lower case", "[Mainbutton]\r\nb5l=x\r\n", "Mainbutton", "B5L", "x"},
        Row{"key asked in lower case", "[Mainbutton]\r\nB5L=x\r\n", "mainbutton", "b5L", "x"},
        Row{"B4L is not B5L", "[Mainbutton]\r\nB4L=y\r\nB5L=x\r\n", "Mainbutton", "b5l", "x"},
        Row{"empty value is not missing", "[A]\r\nk=\r\n", "A", "k", ""},
        Row{"missing key", "[A]\r\nj=v\r\n", "A", "k", "<default>"},
        Row{"missing section", "[B]\r\nk=v\r\n", "A", "k", "<default>"},
        Row{"key of the next section", "[A]\r\n[B]\r\nk=v\r\n", "A", "k", "<default>"},
        Row{"empty file", "", "A", "k", "<default>"},
        Row{"comment line", "[A]\r\n;k=c\r\nk=v\r\n", "A", "k", "v"},
        Row{"indented comment", "[A]\r\n  \t;k=c\r\n", "A", "k", "<default>"},
        Row{"commented header", ";[A]\r\nk=v\r\n", "A", "k", "<default>"},
        Row{"blanks around key and value", "[A]\r\n  k \t=  v w \t\r\n", "A", "k", "v w"},
        Row{"blanks inside header", "[ A\t]\r\nk=v\r\n", "A", "k", "v"},
        Row{"double quotes", "[A]\r\nk=\" a b \"\r\n", "A", "k", " a b "},
        Row{"single quotes", "[A]\r\nk='x'\r\n", "A", "k", "x"},
        Row{"unmatched quote kept", "[A]\r\nk=\"x\r\n", "A", "k", "\"x"},
        Row{"equals sign in value", "[A]\r\nk=a=b\r\n", "A", "k", "a=b"},
        Row{"first duplicate key wins", "[A]\r\nk=1\r\nk=2\r\n", "A", "k", "1"},
        Row{"first wins across repeated section", "[A]\r\nk=1\r\n[B]\r\n[A]\r\nk=2\r\n", "A", "k", "1"},
        Row{"repeated section is merged", "[A]\r\nj=0\r\n[B]\r\nk=b\r\n[a]\r\nk=2\r\n", "A", "k", "2"},
        Row{"no section headers", "k=v\r\nj=w\r\n", "A", "k", "<default>"},
        Row{"keys before first header", "k=v\r\n[A]\r\n", "A", "k", "<default>"},
        Row{"line without equals sign", "[A]\r\nk\r\nk=v\r\n", "A", "k", "v"},
        Row{"empty key never matches", "[A]\r\n=v\r\n", "A", "", "<default>"},
        Row{"header without bracket", "[A\r\nk=v\r\n", "A", "k", "v"},
        Row{"text after header", "[A] ; note\r\nk=v\r\n", "A", "k", "v"},
        Row{"byte order mark", "\xEF\xBB\xBF[A]\r\nk=v\r\n", "A", "k", "v"}));

// Line ends and odd bytes.
INSTANTIATE_TEST_SUITE_P(
    Bytes, IniLookup,
    ::testing::Values(
        Row{"LF only", "[A]\nj=1\nk=v\n", "A", "k", "v"},
        Row{"CR only", "[A]\rj=1\rk=v\r", "A", "k", "v"},
        Row{"mixed line ends", "[A]\r\nj=1\nk=v\r", "A", "k", "v"},
        Row{"no final line end", "[A]\r\nk=v", "A", "k", "v"},
        Row{"CR does not end up in the value", "[A]\r\nk=v\r\r\n", "A", "k", "v"},
        // GBK characters whose second byte is ']', '[' or '\'.
        Row{"GBK value with bracket trail bytes", "[A]\r\nk=\x81]\x81[\x81\\\r\n", "A", "k",
            "\x81]\x81[\x81\\"},
        Row{"GBK path", "[A]\r\nk=C:\\\xCD\xBC\xC6\xAC\\\xD4\xC2.bmp\r\n", "A", "k",
            "C:\\\xCD\xBC\xC6\xAC\\\xD4\xC2.bmp"},
        Row{"GBK section whose trail byte is ]", "[\x81]\x81]]\r\nk=v\r\n", "\x81]\x81]", "k", "v"},
        Row{"GBK section is not cut at its trail byte", "[\x81]x]\r\nk=v\r\n", "\x81", "k", "<default>"},
        Row{"GBK key", "[A]\r\n\xC4\xD6\xD6\xD3=v\r\n", "A", "\xC4\xD6\xD6\xD3", "v"},
        Row{"only ASCII letters fold", "[\xC1]\r\nk=v\r\n", "\xE1", "k", "<default>"},
        Row{"non-GBK bytes returned unchanged", "[A]\r\nk=\xFF\x80\x01"s + '\0' + "z\r\n", "A", "k",
            "\xFF\x80\x01"s + '\0' + "z"},
        Row{"lone lead byte at line end", "[A]\r\nk=ab\x81\r\nj=1\r\n", "A", "j", "1"},
        Row{"lone lead byte in header", "[A\x81\r\nk=v\r\n", "A\x81", "k", "v"}));

// Length: values are cut to 300 bytes, never inside a two-byte character.
INSTANTIATE_TEST_SUITE_P(
    Length, IniLookup,
    ::testing::Values(
        Row{"300 bytes kept", "[A]\r\nk=" + kLong300 + "\r\n", "A", "k", kLong300},
        Row{"301 bytes cut", "[A]\r\nk=" + kLong300 + "b\r\n", "A", "k", kLong300},
        Row{"cut before a split character", "[A]\r\nk=" + kLong300.substr(1) + "\xD6\xD0\r\n", "A", "k",
            kLong300.substr(1)},
        Row{"10000-byte value", "[A]\r\nk=" + std::string(10000, 'a') + "\r\n", "A", "k", kLong300},
        Row{"10000-byte comment before key", "[A]\r\n;" + std::string(10000, '[') + "\r\nk=v\r\n", "A", "k",
            "v"},
        Row{"10000-byte header", "[" + std::string(10000, 'A') + "]\r\n[A]\r\nk=v\r\n", "A", "k", "v"},
        Row{"10000 bytes of GBK in a line", "[A]\r\nj=" + std::string(10000, '\x81') + "\r\nk=v\r\n", "A",
            "k", "v"}));

TEST(IniDefault, DefaultIsCutLikeAValue) {
  EXPECT_EQ(profileStringFromText("", "A", "k", std::string(400, 'd')), std::string(300, 'd'));
}

class IniFile : public TempDirTest {
protected:
  static void write(const std::string &name, const std::string &bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
};

TEST_F(IniFile, ReadsTheNamedFile) {
  write("Calixo.ini", "[Monthbmp]\r\nM3=march.bmp\r\n");
  EXPECT_EQ(ReadProfileString("Monthbmp", "m3", "", "Calixo.ini"), "march.bmp");
  EXPECT_EQ(ReadProfileString("Monthbmp", "m4", "none", "Calixo.ini"), "none");
}

TEST_F(IniFile, FileNameMatchesRegardlessOfCase) {
  write("CALIXO.INI", "[Monthbmp]\r\nM3=march.bmp\r\n");
  EXPECT_EQ(ReadProfileString("Monthbmp", "M3", "", "Calixo.ini"), "march.bmp");
}

TEST_F(IniFile, MissingOrUnreadableFileGivesDefault) {
  EXPECT_EQ(ReadProfileString("Monthbmp", "M3", "dflt", "Calixo.ini"), "dflt");
  std::filesystem::create_directory("Folder.ini");
  EXPECT_EQ(ReadProfileString("Monthbmp", "M3", "dflt", "Folder.ini"), "dflt");
  // A FIFO is never opened for a blocking read: start-up must not hang on it.
  ASSERT_EQ(::mkfifo("Fifo.ini", 0644), 0);
  EXPECT_EQ(ReadProfileString("Monthbmp", "M3", "dflt", "Fifo.ini"), "dflt");
  // A file far larger than any settings file is not read whole.
  write("Huge.ini", "[Monthbmp]\r\nM3=huge.bmp\r\n");
  std::filesystem::resize_file("Huge.ini", calixo::kSettingsFileMax + 1);
  EXPECT_EQ(ReadProfileString("Monthbmp", "M3", "dflt", "Huge.ini"), "dflt");
}

}  // namespace
