// icalendar: the time table and the anniversaries in iCalendar form, for
// other calendars, phones and servers. icsformat turns plain records into
// calendar text and calendar text back into plain records, through libical;
// icstable (beside it) reads and writes the tables. Texts in these records
// are GBK bytes, as stored; the calendar text is UTF-8.
//
// What becomes what:
//   a plan          -> an event at its local date and time in Asia/Shanghai,
//                      30 minutes, its text as summary, a display alarm when
//                      its alarm is set, UID "plan-YYYYMMDD-HHMM@calixo"
//                      (a date and half hour hold at most one plan);
//   a run           -> the same, marked X-CALIXO-RUN, and never imported;
//   an anniversary  -> one yearly event: a Gregorian one with a yearly rule,
//                      a lunar one with its dates as an RDATE list (or, on
//                      request, an RSCALE=CHINESE rule).
// Imported events fall in the half-hour row of their start; a start off the
// half hour is kept in front of the text ("10:15 text").
#pragma once

#include <string>
#include <vector>

namespace calixo::ics {

struct Date {
  int year = 0, month = 0, day = 0;
  bool operator==(const Date &) const = default;
};

struct PlanRecord {
  Date date;
  int hour = 0, minute = 0;
  std::string text;  // GBK
  bool alarm = false;
  bool run = false;
  bool history = false;  // an archived plan of a past month
  // The event's UID: set when read; when written, empty gives the plan's own
  // "plan-YYYYMMDD-HHMM@calixo" (a synced event of another calendar keeps its own).
  std::string uid = {};
};

struct AnniversaryRecord {
  char kind = 'G';   // 'G' Gregorian, 'L' lunar
  int month = 1;     // lunar leap month as -1..-12
  int day = 1;       // 0: the month's last day
  int hour = 0, minute = 0;
  int ahead = 0;     // also remind this many days before
  bool alarm = false;
  int year = 0;      // year of the first occurrence, 0 if unknown
  std::string text;  // GBK
  // Lunar ones: the Gregorian dates of the occurrences to export, in order
  // (the caller's own lunar table decides them).
  std::vector<Date> dates;
};

struct ExportOptions {
  bool rscale = false;  // lunar anniversaries as RSCALE=CHINESE rules
  Date today;           // now, local time: the DTSTAMP of every event
  int hour = 0, minute = 0;
};

// The UID of a plan of Calixo's own, from its date and half-hour row; it
// stays the same from one export to the next.
std::string PlanUid(const Date &date, int hour, int minute);
// A short, stable digest of bytes (FNV-1a, 16 hex digits).
std::string Fingerprint(const std::string &bytes);

// The whole calendar text (UTF-8, CR LF lines).
std::string ExportCalendar(const std::vector<PlanRecord> &plans,
                           const std::vector<AnniversaryRecord> &anniversaries,
                           const ExportOptions &options);

struct ParseResult {
  std::vector<PlanRecord> plans;  // each in its half-hour row
  std::vector<AnniversaryRecord> anniversaries;
  std::vector<std::string> notImported;  // UTF-8: what was left out and why
  std::vector<std::string> notes;        // UTF-8: what was changed on the way in
};

// Reads calendar text. Returns false (with the reason in error) when the text
// is not a calendar at all. lunarOf converts a Gregorian date to the lunar
// (month, day) that an RSCALE=CHINESE rule without BYMONTH repeats; it
// returns false where the lunar table does not reach.
struct LunarDate {
  int month = 0, day = 0;  // leap month negative
};
using LunarOf = bool (*)(const Date &gregorian, LunarDate &lunar);
bool ParseCalendar(const std::string &text, LunarOf lunarOf, ParseResult &out, std::string &error);

}  // namespace calixo::ics
