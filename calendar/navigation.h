// Stepping the selected date (SelYear, SelMonth, SelDay) by a year or a
// month, and taking a year and month typed into the year/month dialog. Plain
// C++: the main window keeps the three numbers and calls these, then
// refreshes the grid.
#pragma once

#include <stdexcept>
#include <string>

namespace calixo {

// A text that is not an integer, with the text of the general error report
// ("'abc' is not a valid integer value").
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A 29 February becomes the 28th first; the year then moves by one. Outside
// the years 1..9999 no date exists, so the first and last year stay put.
void NextYear(int &SelYear, int &SelMonth, int &SelDay);
void PrevYear(int &SelYear, int &SelMonth, int &SelDay);

// delta +1 or -1: the next or previous month, across year ends; SelDay is
// kept unless the new month is shorter, when it becomes its last day. A step
// out of the years 1..9999 changes nothing.
void StepMonth(int &SelYear, int &SelMonth, int &SelDay, int delta);

// delta days on (back when negative), into the neighbouring months and years
// where it leads; a step out of the years 1..9999 changes nothing.
void StepDays(int &SelYear, int &SelMonth, int &SelDay, int delta);

// The integer in text (UTF-8): optional leading blanks, an optional sign and
// decimal digits that fit in 32 bits; anything else throws EConvertError.
int textToInt(const std::string &text);

enum class YearMonthCheck { Applied, BadYear, BadMonth };

// The dialog's checks: years 1900..9999, months 1..12. When both hold, the
// selection moves to that year and month and SelDay is cut to the month's
// length; otherwise nothing changes.
YearMonthCheck applyYearMonth(int year, int month, int &SelYear, int &SelMonth, int &SelDay);

}  // namespace calixo
