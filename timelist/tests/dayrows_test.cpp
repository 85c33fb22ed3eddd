#include "dayrows.h"

#include <gtest/gtest.h>

namespace {

STIMELISTDATAPtr entry(int h, int m, int set, const std::string &text, int recNo, int s = 0) {
  auto e = std::make_shared<STIMELISTDATA>();
  e->Hour = h;
  e->Minute = m;
  e->Second = s;
  e->SetFlag = set;
  e->Text = text;
  e->RecNo = recNo;
  return e;
}

TEST(BuildRows, FortyEightHalfHourRowsWithSixThirtyOnTop) {
  int top = -1;
  const TTimeList rows = BuildRows({}, kSlotMinutes, top);
  ASSERT_EQ(rows.size(), 48u);
  EXPECT_EQ(top, 14);
  EXPECT_EQ(rows[static_cast<size_t>(top - 1)]->TimeText, "6:30");
  const struct { size_t i; const char *label; int h, m; } cases[] = {
      {0, "0:00", 0, 0}, {1, "0:30", 0, 30}, {14, "7:00", 7, 0}, {27, "13:30", 13, 30}, {47, "23:30", 23, 30}};
  for (const auto &c : cases) {
    EXPECT_EQ(rows[c.i]->TimeText, c.label);
    EXPECT_EQ(rows[c.i]->Hour, c.h);
    EXPECT_EQ(rows[c.i]->Minute, c.m);
    EXPECT_EQ(rows[c.i]->AlarmState, -1);
    EXPECT_EQ(rows[c.i]->RecNo, -1);
  }
}

TEST(BuildRows, StoredEntriesOnTheirRowOnlyFirstOfATimeWins) {
  const TTimeList day = {entry(7, 15, 1, "quarter", 1), entry(7, 30, 1, "half", 2),
                         entry(7, 30, 0, "second", 3), entry(8, 0, 1, "sec", 4, 20)};
  int top = 0;
  const TTimeList rows = BuildRows(day, kSlotMinutes, top);
  const STIMELISTDATA &r730 = *rows[15];
  EXPECT_EQ(r730.Text, "half");
  EXPECT_EQ(r730.RecNo, 2);
  EXPECT_EQ(r730.AlarmState, 1);
  EXPECT_EQ(rows[14]->RecNo, -1) << "7:15 matches no row";
  EXPECT_EQ(rows[16]->RecNo, -1) << "a time with seconds matches no row";
}

TEST(EarliestAlarmAfter, EarliestSetEntryLaterThanNowTiesInRecordOrder) {
  // Record order is not time order: 10:30 was stored after 11:00, and two
  // entries share 10:30 (the one with seconds still counts by its minute).
  const TTimeList day = {entry(6, 0, 1, "past", 1),  entry(10, 0, 0, "cancelled", 2),
                         entry(11, 0, 1, "late", 3), entry(10, 30, 1, "early", 4),
                         entry(10, 30, 1, "tie", 5, 20), entry(0, 0, 1, "midnight", 6)};
  const struct { int now; int recNo; } cases[] = {
      {-1, 6} /* before the day's first minute */, {0, 1}, {559, 1},
      {600, 4} /* 6:00 itself is not later; 10:30 beats 11:00 stored before it */,
      {959, 4} /* the cancelled 10:00 is skipped */, {1029, 4} /* the tie goes to record order */,
      {1030, 3}, {1100, -1}, {2359, -1}};
  for (const auto &c : cases) {
    const STIMELISTDATAPtr e = EarliestAlarmAfter(day, c.now);
    EXPECT_EQ(e ? e->RecNo : -1, c.recNo) << c.now;
  }
  EXPECT_EQ(EarliestAlarmAfter({}, 0), nullptr);
}

}  // namespace
