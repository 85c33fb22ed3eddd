#include "sunposition.h"

#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct ObservedDeltaT {
  double year;
  double seconds;
};

struct KnownInstant {
  int year, term;
  int month, day, hour, minute;  // universal time, as published to the minute
};

// Minutes from a published instant (UT) to the computed one.
double minutesFrom(const KnownInstant &k, const solarterms::TermInstant &t) {
  double jd0 = 0, jd = 0;
  eraCal2jd(k.year, k.month, k.day, &jd0, &jd);
  jd += (k.hour * 60 + k.minute) / 1440.0;
  const double computedUt = t.tt - t.deltaT / 86400.0;
  return (computedUt - jd0 - jd) * 1440.0;
}

}  // namespace

// --- DeltaT ----------------------------------------------------------------

// Observed TT - UT1 on 1 January; the model must follow them where it is fitted.
TEST(DeltaT, FollowsTheObservedValues) {
  const std::vector<ObservedDeltaT> observed = {
      {1920, 21.16}, {1930, 24.02}, {1940, 24.33}, {1950, 29.15}, {1960, 33.15},
      {1970, 40.18}, {1980, 50.54}, {1990, 56.86}, {2000, 63.83}, {2010, 66.07},
      {2015, 67.64}, {2020, 69.36},
  };
  for (const ObservedDeltaT &o : observed)
    EXPECT_NEAR(solarterms::DeltaT(o.year), o.seconds, 0.15) << o.year;
}

// The pieces of the model meet where one takes over from the next, so no
// day moves because a term falls beside a join.
TEST(DeltaT, PiecesMeetAtTheirJoins) {
  for (double join : {1920.0, 1941.0, 1961.0, 1986.0, 2005.0, 2010.0, 2025.0}) {
    const double before = solarterms::DeltaT(join - 1e-6);
    const double after = solarterms::DeltaT(join);
    EXPECT_NEAR(before, after, 0.05) << join;
  }
}

TEST(DeltaT, PredictionGrowsAfterTheLastObservation) {
  EXPECT_NEAR(solarterms::DeltaT(2025.0), 69.14, 1e-9);
  EXPECT_NEAR(solarterms::DeltaT(2125.0), 69.14 + 47.3 + 32.0, 1e-9);
  EXPECT_LT(solarterms::DeltaT(2050.0), solarterms::DeltaT(2100.0));
}

// --- Term instants ---------------------------------------------------------

TEST(TermInstant, LongitudesRunFromXiaohanInFifteenDegreeSteps) {
  EXPECT_EQ(solarterms::TermLongitude(0), 285.0);   // 小寒
  EXPECT_EQ(solarterms::TermLongitude(5), 0.0);     // 春分
  EXPECT_EQ(solarterms::TermLongitude(11), 90.0);   // 夏至
  EXPECT_EQ(solarterms::TermLongitude(23), 270.0);  // 冬至
}

// Equinoxes and solstices as the almanacs publish them, to the minute. A
// model without aberration (20 arcseconds) or nutation (up to 17) is several
// minutes out, and DeltaT with the wrong sign over two.
TEST(TermInstant, MatchesPublishedEquinoxesAndSolstices) {
  const std::vector<KnownInstant> known = {
      {2000, 5, 3, 20, 7, 35},   {2000, 11, 6, 21, 1, 48},  {2000, 17, 9, 22, 17, 28},
      {2000, 23, 12, 21, 13, 37}, {2024, 23, 12, 21, 9, 20}, {2025, 5, 3, 20, 9, 1},
  };
  for (const KnownInstant &k : known) {
    SCOPED_TRACE(testing::Message() << k.year << " term " << k.term);
    const solarterms::TermInstant t = solarterms::FindTerm(k.year, k.term);
    EXPECT_NEAR(minutesFrom(k, t), 0.0, 1.0);
  }
}

// Newton's method lands on the term's longitude in every month and at both
// ends of the range, including 春分, where the longitude wraps from 360 to 0.
TEST(TermInstant, ConvergesOnTheTermLongitude) {
  for (int year : {1912, 1951, 2000, 2100}) {
    for (int term = 0; term < 24; ++term) {
      SCOPED_TRACE(testing::Message() << year << " term " << term);
      const solarterms::TermInstant t = solarterms::FindTerm(year, term);
      const double longitude = solarterms::ApparentSunLongitude(t.tt, 0.0);
      EXPECT_NEAR(std::remainder(longitude - solarterms::TermLongitude(term), 360.0), 0.0, 1e-7);
      EXPECT_EQ(t.year, year);
      EXPECT_EQ(t.month, term / 2 + 1);
      EXPECT_GE(t.dayFraction, 0.0);
      EXPECT_LT(t.dayFraction, 1.0);
    }
  }
}
