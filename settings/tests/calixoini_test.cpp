#include "calixoini.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iconv.h>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// UTF-8 -> GBK straight through iconv, independent of the program's helpers.
std::string gbk(const std::string &utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
  char *ip = in.data(), *op = out.data();
  size_t il = in.size(), ol = out.size();
  EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<size_t>(-1)) << utf8;
  iconv_close(cd);
  out.resize(out.size() - ol);
  return out;
}

std::string readFile(const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(DefaultTemplate, HasThe43LinesInGbkWithCrLf) {
  const std::vector<std::string> expected = {
      "[Monthbmp]", ";定义每月的图片", "M1=", "M2=", "M3=", "M4=", "M5=", "M6=", "M7=", "M8=", "M9=",
      "M10=", "M11=", "M12=", "[Mainbutton]", ";主窗口按钮图片", ";闹钟", "B1=", ";秒表", "B2=",
      ";记事", "B3=", ";年调整 左 右", "B4L=", "B4R=", ";月调整 左 右", "B5L=", "B5R=", ";关闭",
      "B6=", "[Clockbutton]", ";闹钟按钮", ";设置 取消", "B1S=", "B1U=", ";运行 设置 取消", "B2S=",
      "B2U=", "[Notebutton]", ";记事本按钮", ";添加 删除", "B1S=", "B1U="};
  ASSERT_EQ(expected.size(), 43u);

  const std::string &t = TCalixoini::DefaultTemplate();
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < t.size()) {
    const size_t end = t.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "last line has no CR LF";
    lines.push_back(t.substr(pos, end - pos));
    pos = end + 2;
  }
  ASSERT_EQ(lines.size(), 43u);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], gbk(expected[i])) << "line " << i + 1;
    EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos) << "line " << i + 1;
  }
}

class SettingsFile : public TempDirTest {};

TEST_F(SettingsFile, MissingFileIsWrittenFromTheTemplate) {
  TCalixoini ini;
  EXPECT_EQ(ini.FileName, "Calixo.ini");
  EXPECT_EQ(ini.ReadSetting("Mainbutton", "b1"), "");
  ASSERT_TRUE(ini.WriteDefaultSettings());
  EXPECT_EQ(readFile("Calixo.ini"), TCalixoini::DefaultTemplate());
  for (const char *key : {"b1", "b4L", "B5R", "b6"})
    EXPECT_EQ(ini.ReadSetting("Mainbutton", key), "") << key;
}

TEST_F(SettingsFile, ExistingFileIsKeptAndRead) {
  const std::string mine = "[Mainbutton]\r\nb5l=month-left.bmp\r\nB4L=year-left.bmp\r\n"
                           "[Notebutton]\r\nB1U=del.bmp\r\n";
  std::ofstream("Calixo.ini", std::ios::binary) << mine;
  TCalixoini ini;
  EXPECT_TRUE(ini.WriteDefaultSettings());
  EXPECT_EQ(readFile("Calixo.ini"), mine);
  EXPECT_EQ(ini.ReadSetting("Mainbutton", "b5L"), "month-left.bmp");
  EXPECT_EQ(ini.ReadSetting("Mainbutton", "b4L"), "year-left.bmp");
  EXPECT_EQ(ini.ReadSetting("Notebutton", "b1U"), "del.bmp");
  EXPECT_EQ(ini.ReadSetting("Clockbutton", "b1U"), "");
}

TEST_F(SettingsFile, FileInOtherLetterCaseCountsAsExisting) {
  std::ofstream("CALIXO.INI", std::ios::binary) << "[Monthbmp]\r\nM2=feb.bmp\r\n";
  TCalixoini ini;
  EXPECT_TRUE(ini.WriteDefaultSettings());
  EXPECT_FALSE(std::filesystem::exists("Calixo.ini"));
  EXPECT_EQ(ini.ReadSetting("Monthbmp", "M2"), "feb.bmp");
}

TEST_F(SettingsFile, UnwritableLocationFailsAndReadsEmpty) {
  TCalixoini ini;
  ini.FileName = "no-such-folder/Calixo.ini";
  EXPECT_FALSE(ini.WriteDefaultSettings());
  EXPECT_FALSE(std::filesystem::exists(ini.FileName));
  EXPECT_EQ(ini.ReadSetting("Monthbmp", "M1"), "");
}

// A settings file that cannot be written says which file and why; what
// stands under the name (a FIFO, a folder) is never written to or waited on.
TEST_F(SettingsFile, FailedWriteSaysTheFileAndTheReason) {
  struct Row {
    const char *what;
    std::function<void()> make;
    std::string fileName;
    std::string reason;
  };
  const Row rows[] = {
      {"missing folder", [] {}, "no-such-folder/Calixo.ini", "No such file or directory"},
      {"FIFO", [] { ASSERT_EQ(::mkfifo("Calixo.ini", 0644), 0); }, "Calixo.ini",
       "not a regular file (a device, FIFO or folder)"},
      {"folder", [] { std::filesystem::create_directory("Calixo.ini"); }, "Calixo.ini",
       "not a regular file (a device, FIFO or folder)"},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    r.make();
    TCalixoini ini;
    ini.FileName = r.fileName;
    std::string why;
    EXPECT_FALSE(ini.WriteDefaultSettings(&why));
    EXPECT_EQ(why, (std::filesystem::current_path() / r.fileName).string() + ": " + r.reason);
    EXPECT_EQ(ini.ReadSetting("Monthbmp", "M1"), "");
    std::filesystem::remove(r.fileName);
  }
}

// The lunar switches are on unless their value is 0: a missing file, section
// or key keeps today's lunar dates and festivals.
TEST_F(SettingsFile, LunarSwitchesAreOffOnlyForZero) {
  struct Row {
    const char *extra;
    bool extended, festivals;
  };
  const Row rows[] = {
      {"", true, true},
      {"[Lunar]\r\n", true, true},
      {"[Lunar]\r\nExtended=\r\nFestivals=\r\n", true, true},
      {"[Lunar]\r\nExtended=0\r\n", false, true},
      {"[Lunar]\r\nFestivals=0\r\n", true, false},
      {"[LUNAR]\r\n extended = 0 \r\nFESTIVALS=0\r\n", false, false},
      {"[Lunar]\r\nExtended=2\r\nFestivals=yes\r\n", true, true},
      {"[Lunar]\r\n;Extended=0\r\n", true, true},
      {"[Monthbmp]\r\nExtended=0\r\nFestivals=0\r\n", true, true},
      {"[Lunar]\r\nExtended=1\r\nFestivals=1\r\n", true, true},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.extra);
    std::ofstream("Calixo.ini", std::ios::binary | std::ios::trunc) << TCalixoini::DefaultTemplate()
                                                                     << r.extra;
    EXPECT_EQ(TCalixoini().LunarExtended(), r.extended);
    EXPECT_EQ(TCalixoini().LunarFestivals(), r.festivals);
  }
  // Deleted, and garbled beyond reading: both on.
  std::filesystem::remove("Calixo.ini");
  EXPECT_TRUE(TCalixoini().LunarExtended());
  EXPECT_TRUE(TCalixoini().LunarFestivals());
  static const char garbled[] = "\x00\xff[Lun\x81]\r\n==0\nExtended\r0";
  std::ofstream("Calixo.ini", std::ios::binary | std::ios::trunc)
      << std::string(garbled, sizeof garbled - 1);
  EXPECT_TRUE(TCalixoini().LunarExtended());
  EXPECT_TRUE(TCalixoini().LunarFestivals());
}

// What the launcher writes into a user's new data folder: the template,
// then the switches that turn on the extended lunar dates and the festivals,
// each with its comment.
TEST(FirstRunSettings, AreTheTemplateAndTheLunarSwitches) {
  const std::string file = readFile(CALIXO_FIRST_RUN_INI);
  const std::string &t = TCalixoini::DefaultTemplate();
  ASSERT_GT(file.size(), t.size());
  EXPECT_EQ(file.substr(0, t.size()), t);
  EXPECT_EQ(file.substr(t.size()),
            "[Lunar]\r\n" + gbk(";农历日期 1=1912年至2100年 其他或空=1921年至2010年") +
                "\r\nExtended=1\r\n" + gbk(";节日和节气 1=显示(须Extended=1) 其他或空=不显示") +
                "\r\nFestivals=1\r\n");
}

TEST_F(SettingsFile, FirstRunSettingsTurnTheLunarSwitchesOn) {
  std::ofstream("Calixo.ini", std::ios::binary) << readFile(CALIXO_FIRST_RUN_INI);
  TCalixoini ini;
  EXPECT_TRUE(ini.WriteDefaultSettings());
  EXPECT_TRUE(ini.LunarExtended());
  EXPECT_TRUE(ini.LunarFestivals());
  EXPECT_EQ(ini.ReadSetting("Mainbutton", "b1"), "");
}

TEST_F(SettingsFile, ReadOnlyFolderFailsAndLeavesNoFile) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root writes into read-only folders; the missing-folder case covers the failure";
  ASSERT_EQ(::chmod(".", 0555), 0);
  TCalixoini ini;
  const bool written = ini.WriteDefaultSettings();
  ::chmod(".", 0755);
  EXPECT_FALSE(written);
  EXPECT_FALSE(std::filesystem::exists("Calixo.ini"));
  EXPECT_EQ(ini.ReadSetting("Mainbutton", "B1"), "");
}

}  // namespace
