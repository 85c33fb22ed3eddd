// Leap years, month lengths and the 42-cell layout.
#include "monthmodel.h"

#include <gtest/gtest.h>

namespace {

TEST(MonthModel, LeapYearsAndFebruary) {
  struct Row {
    int year;
    bool leap;
  };
  for (Row r : {Row{1900, false}, Row{2000, true}, Row{2024, true}, Row{2100, false},
                Row{2023, false}, Row{1600, true}, Row{4, true}, Row{9999, false}}) {
    SCOPED_TRACE(r.year);
    EXPECT_EQ(IsLeapYear(r.year), r.leap);
    EXPECT_EQ(MonthLength(r.year, 2), r.leap ? 29 : 28);
  }
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m)
    EXPECT_EQ(MonthLength(2023, m), lengths[m - 1]) << m;
}

TEST(MonthModel, LayoutPutsDayOneOnItsWeekdayAndBlanksTheRest) {
  struct Row {
    int year, month;
    int firstCell, days;
  };
  // Sunday starts; Saturday starts with 31 days need all six rows; a
  // February of 28 days starting on Sunday needs only four.
  for (Row r : {Row{2023, 1, 0, 31}, Row{2015, 2, 0, 28}, Row{2023, 7, 6, 31}, Row{2022, 10, 6, 31},
                Row{2000, 2, 2, 29}, Row{1900, 2, 4, 28}, Row{2100, 2, 1, 28}, Row{2024, 2, 4, 29}}) {
    SCOPED_TRACE(testing::Message() << r.year << "-" << r.month);
    const SMonthLayout l = monthCells(r.year, r.month);
    EXPECT_EQ(l.FirstCell, r.firstCell);
    EXPECT_EQ(l.Days, r.days);
    for (int k = 0; k < kDayCellCount; ++k) {
      const int d = k - r.firstCell + 1;
      EXPECT_EQ(l.DayCells[k], d >= 1 && d <= r.days ? d : 0) << "cell " << k;
    }
  }
  // The last day of a 31-day month starting on Saturday is in row 6.
  EXPECT_EQ(monthCells(2023, 7).DayCells[cellOf(1, 6)], 31);
}

TEST(MonthModel, CellOfCoversOnlyTheDayRows) {
  EXPECT_EQ(cellOf(0, 1), 0);
  EXPECT_EQ(cellOf(6, 6), 41);
  EXPECT_EQ(cellOf(3, 2), 10);
  for (auto [c, r] : {std::pair{0, 0}, {6, 0}, {7, 1}, {-1, 1}, {0, 7}})
    EXPECT_EQ(cellOf(c, r), -1) << c << "," << r;
}

}  // namespace
