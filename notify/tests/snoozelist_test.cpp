#include "snoozelist.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using calixo::PendingSnooze;
using calixo::SnoozeList;

namespace {

int64_t at(int y, int mo, int d, int h, int mi, int s) {
  return calixo::secondNumber({y, mo, d, h, mi, s, 0});
}

std::string fileText(const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SnoozeLine, ReadsOnlyWellFormedLines) {
  const struct {
    const char *line;
    bool ok;
    int64_t due;
    const char *text;
  } rows[] = {
      {"2026-12-08 07:10:02 07:00 wake up", true, at(2026, 12, 8, 7, 10, 2), "wake up"},
      {"2026-12-31 23:59:59 23:50 ", true, at(2026, 12, 31, 23, 59, 59), ""},
      {"2026-12-08 07:10:02 07:00 a\\\\b\\nc\\r", true, at(2026, 12, 8, 7, 10, 2), "a\\b\nc\r"},
      {"2024-02-29 00:00:00 00:00 leap", true, at(2024, 2, 29, 0, 0, 0), "leap"},
      {"2026-02-29 07:10:02 07:00 no such day", false, 0, ""},
      {"2026-13-01 07:10:02 07:00 month", false, 0, ""},
      {"2026-12-08 24:00:00 07:00 hour", false, 0, ""},
      {"2026-12-08 07:10:02 07:60 time", false, 0, ""},
      {"2026-12-08 07:10:02 07:00", false, 0, ""},
      {"2026/12/08 07:10:02 07:00 x", false, 0, ""},
      {"2026-12-08 07:10:02 07:00 bad \\t escape", false, 0, ""},
      {"2026-12-08 07:10:02 07:00 cut \\", false, 0, ""},
  };
  for (const auto &r : rows) {
    PendingSnooze s;
    ASSERT_EQ(SnoozeList::parseLine(r.line, s), r.ok) << r.line;
    if (!r.ok)
      continue;
    EXPECT_EQ(s.due, r.due) << r.line;
    EXPECT_EQ(s.text, r.text) << r.line;
    EXPECT_EQ(SnoozeList::formatLine(s), r.line) << "written back as read";
  }
}

class SnoozeFile : public TempDirTest {};

TEST_F(SnoozeFile, TakesTheDueOnesInOrderAndKeepsTheRestOnDisk) {
  SnoozeList list;
  EXPECT_EQ(list.load(), "") << "a missing file is an empty list";
  EXPECT_EQ(list.add({at(2026, 12, 8, 7, 20, 0), "07:00", "third"}), "");
  EXPECT_EQ(list.add({at(2026, 12, 8, 7, 10, 0), "07:00", "first"}), "");
  EXPECT_EQ(list.add({at(2026, 12, 8, 7, 15, 0), "07:05", "second 提醒"}), "");

  EXPECT_TRUE(list.takeDue(at(2026, 12, 8, 7, 9, 59)).empty());
  const std::vector<PendingSnooze> due = list.takeDue(at(2026, 12, 8, 7, 15, 0));
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0].text, "first");
  EXPECT_EQ(due[1].text, "second 提醒");
  EXPECT_FALSE(std::filesystem::exists("snooze.lst.tmp"));

  SnoozeList again;  // the next start of the program
  EXPECT_EQ(again.load(), "");
  ASSERT_EQ(again.items().size(), 1u);
  EXPECT_EQ(again.items()[0].text, "third");
  EXPECT_EQ(again.items()[0].time, "07:00");
}

TEST_F(SnoozeFile, AnUnreadableLineIsReportedAndKept) {
  std::ofstream("snooze.lst") << "2026-12-08 07:10:00 07:00 fine\nnot a reminder\n";
  SnoozeList list;
  const std::string problem = list.load();
  EXPECT_NE(problem.find("snooze.lst"), std::string::npos) << problem;
  EXPECT_NE(problem.find("line 2"), std::string::npos) << problem;
  ASSERT_EQ(list.takeDue(at(2026, 12, 8, 7, 10, 0)).size(), 1u);
  EXPECT_EQ(fileText("snooze.lst"), "not a reminder\n");
}

TEST_F(SnoozeFile, AFileThatCannotBeWrittenIsNamedAndTheSnoozeKept) {
  SnoozeList list("no-such-folder/snooze.lst");
  const std::string problem = list.add({at(2026, 12, 8, 7, 10, 0), "07:00", "x"});
  EXPECT_NE(problem.find("\"no-such-folder/snooze.lst\""), std::string::npos) << problem;
  EXPECT_NE(problem.find("No such file"), std::string::npos) << problem;
  EXPECT_EQ(list.items().size(), 1u);
}
