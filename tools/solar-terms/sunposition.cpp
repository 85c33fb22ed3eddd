#include "sunposition.h"

#include <erfa.h>
#include <erfam.h>

#include <cmath>

namespace solarterms {

namespace {
constexpr double MeanDegreesPerDay = 360.0 / 365.2422;

// The observed DeltaT on 1 January of 2005, 2010, 2015, 2020 and 2025.
constexpr double ObservedFrom = 2005.0;
constexpr double ObservedStep = 5.0;
constexpr double Observed[] = {64.69, 66.07, 67.64, 69.36, 69.14};
constexpr int ObservedCount = sizeof Observed / sizeof Observed[0];
constexpr double ObservedUntil = ObservedFrom + ObservedStep * (ObservedCount - 1);

double espenakMeeus(double y) {
  if (y < 1920) {
    const double t = y - 1900;
    return -2.79 + 1.494119 * t - 0.0598939 * t * t + 0.0061966 * t * t * t -
           0.000197 * t * t * t * t;
  }
  if (y < 1941) {
    const double t = y - 1920;
    return 21.20 + 0.84493 * t - 0.076100 * t * t + 0.0020936 * t * t * t;
  }
  if (y < 1961) {
    const double t = y - 1950;
    return 29.07 + 0.407 * t - t * t / 233 + t * t * t / 2547;
  }
  if (y < 1986) {
    const double t = y - 1975;
    return 45.45 + 1.067 * t - t * t / 260 - t * t * t / 718;
  }
  const double t = y - 2000;
  return 63.86 + 0.3345 * t - 0.060374 * t * t + 0.0017275 * t * t * t +
         0.000651814 * t * t * t * t + 0.00002373599 * t * t * t * t * t;
}

double norm(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

double decimalYear(double tt) { return 2000.0 + (tt - ERFA_DJ00) / ERFA_DJY; }
}  // namespace

double DeltaT(double y) {
  if (y < ObservedFrom)
    return espenakMeeus(y);
  if (y < ObservedUntil) {
    const int i = static_cast<int>((y - ObservedFrom) / ObservedStep);
    const double f = (y - ObservedFrom - i * ObservedStep) / ObservedStep;
    return Observed[i] + f * (Observed[i + 1] - Observed[i]);
  }
  const double u = (y - ObservedUntil) / 100.0;
  return Observed[ObservedCount - 1] + 47.3 * u + 32.0 * u * u;
}

double ApparentSunLongitude(double tt1, double tt2) {
  // ERFA's ephemeris wants TDB; TDB - TT stays under 2 ms, which moves the sun
  // by well under a milliarcsecond.
  double earthHelio[2][3], earthBary[2][3];
  eraEpv00(tt1, tt2, earthHelio, earthBary);

  // The light now arriving left the sun a light time ago.
  const double lightDays = norm(earthHelio[0]) * ERFA_AULT / ERFA_DAYSEC;
  double thenHelio[2][3], thenBary[2][3];
  eraEpv00(tt1, tt2 - lightDays, thenHelio, thenBary);
  double toSun[3];
  for (int i = 0; i < 3; ++i)
    toSun[i] = (thenBary[0][i] - thenHelio[0][i]) - earthBary[0][i];
  const double distance = norm(toSun);
  double direction[3];
  for (int i = 0; i < 3; ++i)
    direction[i] = toSun[i] / distance;

  // Annual aberration by the Earth's barycentric velocity, in units of c.
  double velocity[3];
  for (int i = 0; i < 3; ++i)
    velocity[i] = earthBary[1][i] * ERFA_AULT / ERFA_DAYSEC;
  const double v = norm(velocity);
  double apparent[3];
  eraAb(direction, velocity, distance, std::sqrt(1.0 - v * v), apparent);

  double toEcliptic[3][3], ecliptic[3];
  eraEcm06(tt1, tt2, toEcliptic);
  eraRxp(toEcliptic, apparent, ecliptic);
  double dpsi = 0, deps = 0;
  eraNut06a(tt1, tt2, &dpsi, &deps);
  return eraAnp(std::atan2(ecliptic[1], ecliptic[0]) + dpsi) * ERFA_DR2D;
}

double TermLongitude(int term) { return std::fmod(285.0 + 15.0 * term, 360.0); }

TermInstant FindTerm(int year, int term) {
  // Start from noon on the 5th or the 20th of the term's month.
  double jd0 = 0, jd = 0;
  eraCal2jd(year, term / 2 + 1, term % 2 == 0 ? 5 : 20, &jd0, &jd);
  jd0 += jd + 0.5;
  double offset = 0;
  const double target = TermLongitude(term);
  for (int i = 0; i < 50; ++i) {
    const double behind = std::remainder(target - ApparentSunLongitude(jd0, offset), 360.0);
    offset += behind / MeanDegreesPerDay;
    if (std::fabs(behind) < 1e-9)
      break;
  }
  TermInstant t;
  t.tt = jd0 + offset;
  t.deltaT = DeltaT(decimalYear(t.tt));
  const double cstOffset = offset - t.deltaT / ERFA_DAYSEC + 8.0 / 24.0;
  eraJd2cal(jd0, cstOffset, &t.year, &t.month, &t.day, &t.dayFraction);
  return t;
}

}  // namespace solarterms
