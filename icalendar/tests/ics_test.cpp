#include "icsformat.h"
#include "icstable.h"
#include "lunar.h"
#include "tempdir.h"

#include "gbk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace calixo::ics;

namespace {

std::string g(const std::string &utf8) {
  std::string out;
  EXPECT_TRUE(calixo::utf8ToGbk(utf8, out)) << utf8;
  return out;
}

bool lunarOf(const Date &d, LunarDate &out) {
  const auto l = lunar::SolarToLunar(d.year - 1911, d.month, d.day, lunar::LunarTable::Extended);
  if (!l)
    return false;
  out = LunarDate{l->month, l->day};
  return true;
}

std::string calendar(const std::string &body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

std::string event(const std::string &lines) {
  return "BEGIN:VEVENT\r\nUID:x@test\r\nDTSTAMP:20261201T000000Z\r\n" + lines + "END:VEVENT\r\n";
}

}  // namespace

// Events written by other calendars, one per row, and what each becomes.
TEST(IcsImport, EventsOfOtherCalendarsBecomeRowsOrAnniversaries) {
  struct Row {
    const char *name;
    std::string lines;
    // A plan: date, row and text; or an anniversary: kind, month, day; or neither.
    enum { Plan, Anniversary, Refused } what;
    Date date{};
    int hour = 0, minute = 0;
    std::string text{};
    bool alarm = false;
    char kind = 0;
    int month = 0, day = 0;
  };
  const std::string alarm = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT10M\r\nDESCRIPTION:x\r\nEND:VALARM\r\n";
  const Row rows[] = {
      {"floating", "DTSTART:20261208T090000\r\nSUMMARY:开会\r\n", Row::Plan, {2026, 12, 8}, 9, 0, "开会", false},
      {"utc", "DTSTART:20261208T013000Z\r\nSUMMARY:早会\r\n" + alarm, Row::Plan, {2026, 12, 8}, 9, 30, "早会", true},
      {"other zone, off the half hour", "DTSTART;TZID=America/New_York:20261207T201500\r\nSUMMARY:call\r\n",
       Row::Plan, {2026, 12, 8}, 9, 0, "9:15 call", false},
      {"all day", "DTSTART;VALUE=DATE:20261225\r\nSUMMARY:聚会\r\n", Row::Plan, {2026, 12, 25}, 0, 0, "全天 聚会", false},
      {"yearly", "DTSTART;VALUE=DATE:19800312\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:生日\r\n", Row::Anniversary,
       {}, 0, 0, "生日", false, 'G', 3, 12},
      {"lunar rule", "DTSTART:20260925T080000\r\nRRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=8;BYMONTHDAY=15\r\nSUMMARY:中秋\r\n",
       Row::Anniversary, {}, 8, 0, "中秋", false, 'L', 8, 15},
      {"lunar rule from its start", "DTSTART:20260925T080000\r\nRRULE:RSCALE=CHINESE;FREQ=YEARLY\r\nSUMMARY:妈妈\r\n",
       Row::Anniversary, {}, 8, 0, "妈妈", false, 'L', 8, 15},
      {"leap month, last day", "DTSTART:20250725T080000\r\nRRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=6L;BYMONTHDAY=-1\r\nSUMMARY:x\r\n",
       Row::Anniversary, {}, 8, 0, "x", false, 'L', -6, 0},
      {"weekly", "DTSTART:20261208T090000\r\nRRULE:FREQ=WEEKLY\r\nSUMMARY:周会\r\n", Row::Refused},
      {"yearly with a count", "DTSTART:20261208T090000\r\nRRULE:FREQ=YEARLY;COUNT=3\r\nSUMMARY:x\r\n", Row::Refused},
      {"a run of ours", "DTSTART:20261208T090000\r\nX-CALIXO-RUN:1\r\nSUMMARY:/usr/bin/xterm\r\n", Row::Refused},
      {"several dates", "DTSTART:20261208T090000\r\nRDATE:20261209T090000\r\nSUMMARY:x\r\n", Row::Refused},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.name);
    ParseResult out;
    std::string error;
    ASSERT_TRUE(ParseCalendar(calendar(event(r.lines)), lunarOf, out, error)) << error;
    EXPECT_EQ(out.plans.size(), r.what == Row::Plan ? 1u : 0u);
    EXPECT_EQ(out.anniversaries.size(), r.what == Row::Anniversary ? 1u : 0u);
    EXPECT_EQ(out.notImported.size(), r.what == Row::Refused ? 1u : 0u);
    if (r.what == Row::Plan && out.plans.size() == 1) {
      const PlanRecord &p = out.plans[0];
      EXPECT_EQ(p.date, r.date);
      EXPECT_EQ(p.hour, r.hour);
      EXPECT_EQ(p.minute, r.minute);
      EXPECT_EQ(p.text, g(r.text));
      EXPECT_EQ(p.alarm, r.alarm);
    }
    if (r.what == Row::Anniversary && out.anniversaries.size() == 1) {
      const AnniversaryRecord &a = out.anniversaries[0];
      EXPECT_EQ(a.kind, r.kind);
      EXPECT_EQ(a.month, r.month);
      EXPECT_EQ(a.day, r.day);
      EXPECT_EQ(a.hour, r.hour);
      EXPECT_EQ(a.text, g(r.text));
    }
  }
}

TEST(IcsImport, TextIsKeptAsFarAsGbkAndTheFieldAllow) {
  ParseResult out;
  std::string error;
  const std::string longText(300, 'a');
  ASSERT_TRUE(ParseCalendar(calendar(event("DTSTART:20261208T090000\r\nSUMMARY:笑\xF0\x9F\x98\x80了\r\n") +
                                     event("DTSTART:20261208T100000\r\nSUMMARY:" + longText + "\r\n") +
                                     "BEGIN:VTODO\r\nUID:t\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:todo\r\nEND:VTODO\r\n"),
                            lunarOf, out, error));
  ASSERT_EQ(out.plans.size(), 2u);
  EXPECT_EQ(out.plans[0].text, g("笑?了"));
  EXPECT_EQ(out.plans[1].text.size(), 249u);
  EXPECT_EQ(out.notes.size(), 2u);
  EXPECT_EQ(out.notImported.size(), 1u);  // the to-do
  EXPECT_FALSE(ParseCalendar("this is no calendar", lunarOf, out, error));
  EXPECT_FALSE(error.empty());
}

// Our own export read back gives the same plans and anniversaries; runs stay out.
TEST(IcsExport, ReadsBackAsItWasWritten) {
  const std::vector<PlanRecord> plans = {
      {{2026, 12, 8}, 7, 0, g("起床"), true, false},
      {{2026, 12, 8}, 14, 30, g("开会；带报告"), false, false},
      {{2026, 11, 2}, 9, 0, g("旧的"), false, false, true},
      {{2026, 12, 9}, 8, 0, "/usr/bin/xterm", true, true},
  };
  AnniversaryRecord birthday{'G', 2, 29, 8, 0, 3, true, 1996, g("生日"), {}};
  AnniversaryRecord mid{'L', 8, 15, 9, 0, 0, false, 0, g("妈妈生日"), {{2026, 9, 25}, {2027, 9, 15}}};
  for (bool rscale : {false, true}) {
    SCOPED_TRACE(rscale);
    const std::string text = ExportCalendar(plans, {birthday, mid}, ExportOptions{rscale, {2026, 12, 8}, 9, 30});
    EXPECT_NE(text.find("TZID:Asia/Shanghai"), std::string::npos);
    EXPECT_NE(text.find("UID:plan-20261208-0700@calixo"), std::string::npos);
    EXPECT_NE(text.find(rscale ? "RSCALE=CHINESE" : "RDATE;TZID=Asia/Shanghai:20270915T090000"), std::string::npos);
    ParseResult out;
    std::string error;
    ASSERT_TRUE(ParseCalendar(text, lunarOf, out, error)) << error;
    ASSERT_EQ(out.plans.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(out.plans[i].date, plans[i].date);
      EXPECT_EQ(out.plans[i].hour, plans[i].hour);
      EXPECT_EQ(out.plans[i].minute, plans[i].minute);
      EXPECT_EQ(out.plans[i].text, plans[i].text);
      EXPECT_EQ(out.plans[i].alarm, plans[i].alarm);
    }
    EXPECT_EQ(out.notImported.size(), 1u);  // the run
    ASSERT_EQ(out.anniversaries.size(), 2u);
    EXPECT_EQ(out.anniversaries[0].kind, 'G');
    EXPECT_EQ(out.anniversaries[0].month, 2);
    EXPECT_EQ(out.anniversaries[0].day, 29);
    EXPECT_EQ(out.anniversaries[0].year, 1996);
    EXPECT_EQ(out.anniversaries[0].ahead, 3);
    EXPECT_EQ(out.anniversaries[1].kind, 'L');
    EXPECT_EQ(out.anniversaries[1].month, 8);
    EXPECT_EQ(out.anniversaries[1].day, 15);
    EXPECT_EQ(out.anniversaries[1].text, g("妈妈生日"));
  }
}

class IcsTable : public TempDirTest {};

// Rows taken, runs in the way, and the same plans imported twice.
TEST_F(IcsTable, ImportFillsRowsAndNeverAddsTwice) {
  dbf::TDbfDataSet table("DbfDataSetTIMELIST");
  bool busy = false;
  TTimeTable tt(table, busy);
  tt.CreateTimeTableIfMissing();
  tt.OpenTable();
  auto run = std::make_shared<STIMELISTDATA>();
  run->Hour = 10;
  run->Text = "/usr/bin/xterm";
  run->RunFlag = 1;
  tt.SaveEntry(2026, 12, 8, run, 2);
  auto mine = std::make_shared<STIMELISTDATA>();
  mine->Hour = 9;
  mine->Text = g("我的");
  tt.SaveEntry(2026, 12, 8, mine, 2);
  // A plan typed at 11:00 and cleared again leaves its record, empty.
  auto emptied = std::make_shared<STIMELISTDATA>();
  emptied->Hour = 11;
  tt.SaveEntry(2026, 12, 8, emptied, 2);

  const std::vector<PlanRecord> plans = {
      {{2026, 12, 8}, 9, 0, g("开会"), true},        // joins my 9:00 row
      {{2026, 12, 8}, 10, 0, g("看书"), false},      // the run's row: to 10:30
      {{2026, 12, 8}, 11, 0, g("午饭"), false},      // the emptied row, written again
  };
  ImportCounts first = ImportPlans(tt, plans);
  EXPECT_EQ(first.added, 2);
  EXPECT_EQ(first.joined, 1);
  EXPECT_TRUE(first.notImported.empty());
  ImportCounts second = ImportPlans(tt, plans);
  EXPECT_EQ(second.added + second.joined, 0);
  EXPECT_EQ(second.already, 3);

  TTimeList day;
  tt.LoadDayEntries(2026, 12, 8, day);
  ASSERT_EQ(day.size(), 4u);
  std::map<int, std::pair<std::string, int>> rows;
  for (const auto &e : day)
    rows[e->Hour * 100 + e->Minute] = {e->Text, e->SetFlag};
  EXPECT_EQ(rows[900].first, g("我的；开会"));
  EXPECT_EQ(rows[900].second, 1);
  EXPECT_EQ(rows[1000].first, "/usr/bin/xterm");
  EXPECT_EQ(rows[1030].first, g("10:00 看书"));
  EXPECT_EQ(rows[1100].first, g("午饭"));
  EXPECT_EQ(ReadPlans(table).size(), 4u);
}
