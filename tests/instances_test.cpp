// Two copies of the program in one folder at once, each on its own X server
// and driven with real input: both open the time list and type, turn about,
// into the same row of the same day, then one of them into another row.
// The program makes no single-instance check; what both write must reach
// the one table whole: every record as its instance typed it, none torn,
// none written over by the other.
#include "robust_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace {

using namespace robust;

struct Entry {
  std::string date, time, text;
  bool deleted;
};

// dbfdump's lines of the records: the DATE and TIME texts and DO.
std::vector<Entry> dumpEntries(const std::string &dump) {
  std::vector<Entry> out;
  static const std::regex record(
      R"re(^\{"record":\d+,"deleted":(true|false),"fields":\{"DATE":\{"text":"([^"]*)".*"TIME":\{"text":"([^"]*)".*"DO":"((?:[^"\\]|\\.)*)"\}\}$)re");
  std::istringstream in(dump);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_match(line, m, record))
      out.push_back({m[2], m[3], m[4], m[1] == "true"});
  }
  return out;
}

class TwoInstances : public TempDirTest {};

TEST_F(TwoInstances, TypingIntoTheSameDayKeepsEveryRecordWhole) {
  copyShippedFiles(dir());
  XServer second;
  ASSERT_FALSE(second.display().empty()) << "no second X server";
  ProgramOptions a, b;
  a.tag = "a";
  b.tag = "b";
  b.display = second.display();
  // The second starts once the first has created the tables, as a user
  // would start it again later.
  Program first(dir(), a);
  const Xdo xa, xb(second.display());
  const Window mainA = xa.waitForWindow(first.pid(), 586, 353, 30s);
  ASSERT_NE(mainA.id, 0u) << "the first instance shows no main window: " << first.errors();
  Program other(dir(), b);
  const Window mainB = xb.waitForWindow(other.pid(), 586, 353, 30s);
  ASSERT_NE(mainB.id, 0u) << "the second instance shows no main window: " << other.errors();
  std::this_thread::sleep_for(700ms);

  // The red button opens each one's time list of today.
  struct Side {
    const Xdo &x;
    Program &p;
    Window main, list;
  } sides[] = {{xa, first, mainA, {}}, {xb, other, mainB, {}}};
  for (Side &s : sides) {
    ASSERT_TRUE(s.x.clickAt(s.main.x + 529 + 12, s.main.y + 45 + 12));
    s.list = s.x.waitForWindow(s.p.pid(), 237, 266, 10s);
    ASSERT_NE(s.list.id, 0u) << "the red button opened no time list";
  }
  std::this_thread::sleep_for(500ms);
  // The 7:00 row is the grid's second; its text column starts 81 pixels in.
  auto cell = [](const Window &list, int row) {
    return std::pair{list.x + 10 + 81 + 30, list.y + 40 + 18 + 18 * row + 9};
  };
  for (Side &s : sides) {
    const auto [x, y] = cell(s.list, 1);
    ASSERT_TRUE(s.x.clickAt(x, y));
  }
  // Every keystroke stores the row, so the two write the table in turns.
  const char *words[2][3] = {{"alpha", " one", " three"}, {"bravo", " two", " four"}};
  for (int w = 0; w < 3; ++w)
    for (int s = 0; s < 2; ++s)
      ASSERT_TRUE(sides[s].x.type(words[s][w]));
  for (Side &s : sides)
    ASSERT_TRUE(s.x.run("key Return"));
  {
    const auto [x, y] = cell(sides[0].list, 3);  // 8:00
    ASSERT_TRUE(sides[0].x.clickAt(x, y));
    ASSERT_TRUE(sides[0].x.type("charlie"));
    ASSERT_TRUE(sides[0].x.run("key Return"));
  }
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(first.running()) << first.errors();
  EXPECT_TRUE(other.running()) << other.errors();
  EXPECT_EQ(countOf(first.errors() + other.errors(), "calixo: "), 0) << first.errors() << other.errors();

  const fs::path table = findFile(dir(), "TimeList.dbf");
  ASSERT_FALSE(table.empty());
  const std::string dumpFile = (dir() / "dump.txt").string();
  const int rc = std::system(("'" CALIXO_DBFDUMP "' '" + table.string() + "' >'" + dumpFile + "'").c_str());
  EXPECT_EQ(rc, 0) << "dbfdump refused the table";
  const std::string dump = readFile(dumpFile);
  const std::vector<Entry> entries = dumpEntries(dump);
  ASSERT_EQ(entries.size(), 3u) << dump;
  std::vector<std::string> texts;
  for (const Entry &e : entries) {
    EXPECT_FALSE(e.deleted) << dump;
    EXPECT_EQ(e.date, entries[0].date) << "every entry is of today";
    texts.push_back(e.text);
    const std::string expectedTime = e.text == "charlie" ? "0.33333333333333331483" : "0.29166666666666668517";
    EXPECT_EQ(e.time.substr(0, 6), expectedTime.substr(0, 6)) << e.text;
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"alpha one three", "bravo two four", "charlie"})) << dump;
}

}  // namespace
