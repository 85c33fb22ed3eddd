#include "clock.h"

#include <gtest/gtest.h>

using calixo::LocalDateTime;

TEST(DayNumber, KnownDaysAndRoundTrip) {
  EXPECT_EQ(calixo::dayNumber(1899, 12, 30), 0);
  EXPECT_EQ(calixo::dayNumber(1900, 3, 1), 61);
  EXPECT_EQ(calixo::dayNumber(2000, 1, 1), 36526);
  EXPECT_EQ(calixo::dayNumber(2024, 2, 29), 45351);
  for (int64_t n = -800000; n < 3000000; n += 997) {
    int y, m, d;
    calixo::dateFromDayNumber(n, y, m, d);
    ASSERT_EQ(calixo::dayNumber(y, m, d), n);
  }
}

TEST(Weekday, SundayIsZero) {
  EXPECT_EQ(calixo::weekday(2000, 1, 1), 6);   // Saturday
  EXPECT_EQ(calixo::weekday(2026, 3, 1), 0);   // Sunday
  EXPECT_EQ(calixo::weekday(1899, 12, 30), 6);
  EXPECT_EQ(calixo::weekday(1, 1, 1), 1);      // Monday, proleptic Gregorian
}

TEST(ManualClock, AdvanceRollsOverDaysMonthsAndYears) {
  calixo::ManualClock c({2024, 12, 31, 23, 59, 59, 500});
  c.advanceMs(600);
  const LocalDateTime t = c.now();
  EXPECT_TRUE(t.sameDate(2025, 1, 1));
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.msec, 100);
  c.advanceMs(-200);
  EXPECT_TRUE(c.now().sameDate(2024, 12, 31));
  EXPECT_EQ(c.now().msec, 900);
  EXPECT_EQ(c.now().second, 59);
}

TEST(ProcessClock, InstalledClockIsWhatEveryoneReads) {
  calixo::ManualClock c({2026, 3, 1, 6, 59, 59, 0});
  calixo::setClock(&c);
  EXPECT_TRUE(calixo::clock().now().sameDate(2026, 3, 1));
  calixo::setClock(nullptr);
  EXPECT_GT(calixo::clock().now().year, 2000);
}
