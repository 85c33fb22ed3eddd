#include "countdownchannel.h"

#include <gtest/gtest.h>

#include <vector>

using calixo::CountdownChannel;

namespace {
const std::string kSeconds = "\xE7\xA7\x92";  // 秒
const std::string kMinutes = "\xE5\x88\x86";  // 分

// The bar positions after each of n progress ticks that follow a start.
std::vector<int> ticksAfterStart(int position, const std::string &unit, int n) {
  CountdownChannel c;
  c.start(position, unit);
  std::vector<int> bars;
  for (int i = 0; i < n; ++i)
    bars.push_back(c.progressTick(true).value_or(-1));
  return bars;
}
}  // namespace

struct StartRow {
  std::string unit;
  int position, interval, divisor;
};

TEST(CountdownChannelStart, OnlyTheExactSecondsTextCountsSeconds) {
  const StartRow rows[] = {
      {kSeconds, 3, 3000, 1},
      {kSeconds, 60, 60000, 1},
      {kMinutes, 5, 300000, 60},
      {kMinutes, 60, 3600000, 60},
      {"", 2, 120000, 60},
      {kSeconds + " ", 2, 120000, 60},
      {"s", 1, 60000, 60},
      {"\xE5\xB0\x8F\xE6\x97\xB6", 1, 60000, 60},  // 小时
  };
  for (const StartRow &r : rows) {
    SCOPED_TRACE("unit '" + r.unit + "' position " + std::to_string(r.position));
    CountdownChannel c;
    EXPECT_EQ(c.start(r.position, r.unit), r.interval);
    EXPECT_EQ(c.RemainingMs, r.interval);
    EXPECT_EQ(c.UnitDivisor, r.divisor);
    EXPECT_EQ(c.TotalUnits, r.position);
  }
}

TEST(CountdownChannelTick, SecondsThreeGoesInThirds) {
  // The fourth tick comes after the time is up (the expiry is not aligned
  // with the tick); the bar stays full.
  EXPECT_EQ(ticksAfterStart(3, kSeconds, 4), (std::vector<int>{33, 67, 100, 100}));
}

TEST(CountdownChannelTick, MinutesMoveInWholeMinutes) {
  const std::vector<int> bars = ticksAfterStart(5, kMinutes, 300);
  // Four whole minutes are left for the first 60 ticks, then three, ...
  for (int tick = 1; tick <= 300; ++tick) {
    const int expected = tick <= 60 ? 20 : tick <= 120 ? 40 : tick <= 180 ? 60 : tick <= 240 ? 80 : 100;
    ASSERT_EQ(bars[tick - 1], expected) << "tick " << tick;
  }
}

TEST(CountdownChannelTick, OneMinuteIsFullFromTheFirstTick) {
  for (int bar : ticksAfterStart(1, kMinutes, 60))
    EXPECT_EQ(bar, 100);
}

TEST(CountdownChannelTick, UntickedChannelCountsDownButShowsNothing) {
  CountdownChannel c;
  c.start(10, kSeconds);
  EXPECT_FALSE(c.progressTick(false).has_value());
  EXPECT_FALSE(c.progressTick(false).has_value());
  EXPECT_EQ(c.RemainingMs, 8000);
  EXPECT_EQ(c.progressTick(true), 30);
}

TEST(CountdownChannelTick, StoppedChannelNeverDividesByZero) {
  CountdownChannel c;  // ticked box without a start cannot happen; still safe
  EXPECT_FALSE(c.progressTick(true).has_value());
  EXPECT_EQ(c.RemainingMs, -1000);
}

TEST(CountdownChannelTick, StoppedChannelCountsDownForMonthsWithoutWrapping) {
  CountdownChannel c;
  c.start(1, kSeconds);
  c.reset();
  // 30 days of ticks pass 2^31 milliseconds.
  for (int i = 0; i < 30 * 86400; ++i)
    c.progressTick(false);
  EXPECT_EQ(c.RemainingMs, -int64_t{30} * 86400 * 1000);
  c.start(2, kSeconds);
  EXPECT_EQ(c.progressTick(true), 50);
}

TEST(CountdownChannelReset, ReturnsEveryFieldToZero) {
  CountdownChannel c;
  c.start(7, kMinutes);
  c.progressTick(true);
  c.reset();
  EXPECT_EQ(c.RemainingMs, 0);
  EXPECT_EQ(c.UnitDivisor, 0);
  EXPECT_EQ(c.TotalUnits, 0);
}

struct BarRow {
  int64_t left;
  int total, bar;
};

TEST(CountdownChannelBar, RoundsHalvesToEvenAndStaysInRange) {
  const BarRow rows[] = {
      {3, 3, 0},   {2, 3, 33},  {1, 3, 67},  {0, 3, 100},
      {3, 8, 62},  // 62.5
      {7, 8, 12},  // 12.5
      {5, 8, 38},  // 37.5
      {1, 8, 88},  // 87.5
      {1, 40, 98}, {3, 40, 92}, {1, 60, 98}, {59, 60, 2},
      {-1, 3, 100},  // a tick after the time is up
  };
  for (const BarRow &r : rows)
    EXPECT_EQ(CountdownChannel::barPosition(r.left, r.total), r.bar)
        << r.left << " of " << r.total;
}
