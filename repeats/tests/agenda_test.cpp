// calixo --agenda on a small folder: plans of the time table and its archive
// and the anniversaries' occurrences in date and time order; bad dates refused.
#include "agenda.h"

#include "gbk.h"
#include "repeattable.h"
#include "tempdir.h"
#include "clock.h"
#include "timehistory.h"
#include "timetable.h"

#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <sstream>

namespace {

using Agenda = TempDirTest;

std::string gbk(const char *utf8) {
  std::string s;
  calixo::utf8ToGbk(utf8, s);
  return s;
}

TEST_F(Agenda, PlansAndAnniversariesInDateAndTimeOrder) {
  {
    std::ofstream ini("Calixo.ini");
    ini << "[Lunar]\r\nExtended=1\r\n";
  }
  dbf::TDbfDataSet table;
  bool busy = false;
  TTimeTable tt(table, busy);
  tt.CreateTimeTableIfMissing();
  tt.OpenTable();
  const auto save = [&](int y, int m, int d, int h, int mi, const char *text, int set, int run) {
    auto r = std::make_shared<STIMELISTDATA>();
    r->Hour = h;
    r->Minute = mi;
    r->Text = gbk(text);
    r->SetFlag = set;
    r->RunFlag = run;
    tt.SaveEntry(y, m, d, r, 2);
  };
  save(2026, 9, 25, 9, 30, "开会", 1, 0);
  save(2026, 9, 24, 7, 0, "/usr/bin/true", 1, 1);
  save(2026, 9, 25, 7, 0, "买月饼", 0, 0);
  save(2026, 10, 1, 7, 0, "out of range", 0, 0);
  // A plan of August, moved to the archive as the purge on 1 September does.
  save(2026, 8, 31, 20, 0, "旧计划", 0, 0);
  TTimeHistory().ArchiveAndPurge(table, calixo::dayNumber(2026, 8, 1), calixo::dayNumber(2026, 9, 1), {5});
  ASSERT_EQ(table.RecordCount(), 4);
  table.Close();
  repeats::TRepeatTable rt;
  rt.CreateIfMissing();
  rt.Open();
  repeats::SREPEATDATA mid;  // 中秋 2026 is 25 September
  mid.Kind = 'L';
  mid.Month = 8;
  mid.Day = 15;
  mid.Hour = 8;
  mid.Text = gbk("妈妈生日");
  rt.Append(mid);
  repeats::SREPEATDATA g;
  g.Kind = 'G';
  g.Month = 9;
  g.Day = 23;
  g.Text = gbk("结婚\t纪念");
  rt.Append(g);

  std::ostringstream out, err;
  EXPECT_EQ(repeats::runAgenda({"2026-08-31", "2026-09-30"}, out, err), 0) << err.str();
  EXPECT_EQ(out.str(),
            "2026-08-31\t20:00\t计划\t旧计划\n"
            "2026-09-23\t00:00\t纪念日\t结婚 纪念\n"
            "2026-09-24\t07:00\t运行\t/usr/bin/true\n"
            "2026-09-25\t07:00\t计划\t买月饼\n"
            "2026-09-25\t08:00\t纪念日\t妈妈生日\n"
            "2026-09-25\t09:30\t闹钟\t开会\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(Agenda, EmptyFolderPrintsNothingAndCreatesNothing) {
  std::ostringstream out, err;
  EXPECT_EQ(repeats::runAgenda({"2026-01-01", "2026-12-31"}, out, err), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(std::filesystem::is_empty(dir()));
}

TEST_F(Agenda, BadDatesGetTheUsageAndStatus2) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"2026-01-01"}, {"2026-01-01", "2026-01-02", "x"}, {"2026-02-29", "2026-03-01"},
      {"2026-1-1", "2026-01-02"}, {"2026-01-02", "2026-01-01"}, {"2026-13-01", "2026-12-01"},
      {"2026-01-01", "tomorrow"},
  };
  for (const auto &args : bad) {
    std::ostringstream out, err;
    EXPECT_EQ(repeats::runAgenda(args, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("usage: calixo --agenda FROM TO"), std::string::npos);
  }
}

TEST_F(Agenda, ADamagedTableIsNamed) {
  std::ofstream("REPEATS.DBF") << "not a table";
  std::ostringstream out, err;
  EXPECT_EQ(repeats::runAgenda({"2026-01-01", "2026-01-02"}, out, err), 1);
  EXPECT_NE(err.str().find("REPEATS.DBF"), std::string::npos) << err.str();
}

}  // namespace
