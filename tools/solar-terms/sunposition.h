// solar-terms: the instants at which the sun's apparent geocentric ecliptic
// longitude reaches each multiple of 15 degrees, and their dates in China
// Standard Time (UTC+8). The sun comes from ERFA's Earth ephemeris; its
// direction is corrected for light time and annual aberration, turned to the
// mean ecliptic and equinox of date (IAU 2006 precession with the frame bias)
// and moved to the true equinox by the nutation in longitude (IAU 2000A).
// Instants are Julian dates in Terrestrial Time, turned into universal time
// with the DeltaT model below.
#pragma once

namespace solarterms {

// The sun's apparent geocentric ecliptic longitude in degrees, 0 <= L < 360,
// at the Julian date tt1 + tt2 (Terrestrial Time).
double ApparentSunLongitude(double tt1, double tt2);

// TT - UT1 in seconds at the decimal year y (2000.0 = 1 January 2000):
// - up to 2005: the polynomials of Espenak and Meeus (2006), fitted to the
//   observed values;
// - 2005 to 2025: straight lines between the observed values on 1 January of
//   2005, 2010, 2015, 2020 and 2025 (TAI - UTC + 32.184 s - (UT1 - UTC));
// - after 2025: a prediction, the 2025 value continued at the mean rate of
//   1975 to 2025 (47.3 s per century) plus the long-term tidal term of
//   32 s per century squared.
double DeltaT(double y);

struct TermInstant {
  double tt = 0;       // Julian date, Terrestrial Time
  double deltaT = 0;   // seconds, TT - UT1 used for this instant
  int year = 0, month = 0, day = 0;  // the date in China Standard Time
  double dayFraction = 0;            // time of day in China Standard Time, 0 <= f < 1
};

// Term 0 is 小寒 (285 degrees), term k is at (285 + 15 k) mod 360 degrees;
// term 2 (m - 1) and 2 (m - 1) + 1 fall in Gregorian month m.
double TermLongitude(int term);
// The instant of term 0..23 of a Gregorian year, found by Newton's method to
// well under a millisecond.
TermInstant FindTerm(int year, int term);

}  // namespace solarterms
