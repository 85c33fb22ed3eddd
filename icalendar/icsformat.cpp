#include "icsformat.h"

#include "gbk.h"

#include <libical/ical.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace calixo::ics {

namespace {

constexpr const char *kZone = "Asia/Shanghai";

struct ComponentDeleter {
  void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

icaltimezone *shanghai() {
  static icaltimezone *zone = icaltimezone_get_builtin_timezone(kZone);
  return zone;
}

std::string two(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string dateText(const Date &d) {
  char b[16];
  std::snprintf(b, sizeof b, "%04d%02d%02d", d.year, d.month, d.day);
  return b;
}

icaltimetype localTime(const Date &d, int hour, int minute) {
  icaltimetype t = icaltime_null_time();
  t.year = d.year;
  t.month = d.month;
  t.day = d.day;
  t.hour = hour;
  t.minute = minute;
  t.second = 0;
  t.is_date = 0;
  return icaltime_set_timezone(&t, shanghai());
}

void addZoned(icalcomponent *event, icalproperty *p) {
  icalproperty_add_parameter(p, icalparameter_new_tzid(kZone));
  icalcomponent_add_property(event, p);
}

void addDisplayAlarm(icalcomponent *event, const std::string &utf8, int daysBefore) {
  icalcomponent *alarm = icalcomponent_new_valarm();
  icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
  icaltriggertype trigger;
  trigger.time = icaltime_null_time();
  trigger.duration = icaldurationtype_null_duration();
  if (daysBefore > 0) {
    trigger.duration.is_neg = 1;
    trigger.duration.days = static_cast<unsigned int>(daysBefore);
  }
  icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
  icalcomponent_add_property(alarm, icalproperty_new_description(utf8.c_str()));
  icalcomponent_add_component(event, alarm);
}

icalcomponent *newEvent(const std::string &uid, const icaltimetype &stamp) {
  icalcomponent *event = icalcomponent_new_vevent();
  icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
  icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
  return event;
}

std::string anniversaryKey(const AnniversaryRecord &a) {
  char b[32];
  std::snprintf(b, sizeof b, "%c;%d;%d", a.kind, a.month, a.day);
  return b;
}

}  // namespace

std::string PlanUid(const Date &date, int hour, int minute) {
  return "plan-" + dateText(date) + "-" + two(hour) + two(minute) + "@calixo";
}

// An anniversary's UID carries its text's digest, so that it stays the same
// from one export to the next while the text does.
std::string Fingerprint(const std::string &bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char b[20];
  std::snprintf(b, sizeof b, "%016llx", static_cast<unsigned long long>(h));
  return b;
}

std::string ExportCalendar(const std::vector<PlanRecord> &plans,
                           const std::vector<AnniversaryRecord> &anniversaries,
                           const ExportOptions &options) {
  ComponentPtr cal(icalcomponent_new_vcalendar());
  icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
  icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Calixo//Calixo 0.1//ZH"));
  icalcomponent_add_property(cal.get(), icalproperty_new_calscale("GREGORIAN"));
  if (icalcomponent *zone = icaltimezone_get_component(shanghai())) {
    // libical names its builtin zones under a prefix of its own; the events
    // name the zone by its location, as other calendars do, and so does this.
    icalcomponent *copy = icalcomponent_new_clone(zone);
    if (icalproperty *tzid = icalcomponent_get_first_property(copy, ICAL_TZID_PROPERTY))
      icalproperty_set_tzid(tzid, kZone);
    icalcomponent_add_component(cal.get(), copy);
  }

  const icaltimetype stamp =
      icaltime_convert_to_zone(localTime(options.today, options.hour, options.minute),
                               icaltimezone_get_utc_timezone());

  for (const PlanRecord &p : plans) {
    const std::string uid =
        p.uid.empty() ? PlanUid(p.date, p.hour, p.minute) : p.uid;
    icalcomponent *event = newEvent(uid, stamp);
    addZoned(event, icalproperty_new_dtstart(localTime(p.date, p.hour, p.minute)));
    icalcomponent_add_property(event, icalproperty_new_duration(icaldurationtype_from_int(30 * 60)));
    const std::string summary = gbkToUtf8(p.text);
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    if (p.run) {
      icalproperty *x = icalproperty_new_x("1");
      icalproperty_set_x_name(x, "X-CALIXO-RUN");
      icalcomponent_add_property(event, x);
    }
    if (p.history)
      icalcomponent_add_property(event, icalproperty_new_categories("history"));
    if (p.alarm)
      addDisplayAlarm(event, summary, 0);
    icalcomponent_add_component(cal.get(), event);
  }

  for (const AnniversaryRecord &a : anniversaries) {
    const std::string uid = std::string("anniversary-") + a.kind + "-" + std::to_string(a.month) +
                            "-" + std::to_string(a.day) + "-" + Fingerprint(a.text) + "@calixo";
    icalcomponent *event = newEvent(uid, stamp);
    const std::string summary = gbkToUtf8(a.text);
    icalcomponent_add_property(event, icalproperty_new_summary(summary.c_str()));
    icalproperty *x = icalproperty_new_x(anniversaryKey(a).c_str());
    icalproperty_set_x_name(x, "X-CALIXO-ANNIVERSARY");
    icalcomponent_add_property(event, x);
    if (a.year > 0) {
      icalproperty *y = icalproperty_new_x(std::to_string(a.year).c_str());
      icalproperty_set_x_name(y, "X-CALIXO-YEAR");
      icalcomponent_add_property(event, y);
    }
    if (a.kind == 'G') {
      // The first occurrence: the year given, or this year. The 29th of
      // February falls on the 28th in common years: the month's last day.
      const bool leapDay = a.month == 2 && a.day == 29;
      Date first{a.year > 0 ? a.year : options.today.year, a.month, a.day};
      if (leapDay)
        while (!(first.year % 4 == 0 && (first.year % 100 != 0 || first.year % 400 == 0)))
          --first.year;
      addZoned(event, icalproperty_new_dtstart(localTime(first, a.hour, a.minute)));
      const std::string rule = leapDay ? "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1" : "FREQ=YEARLY";
      icalcomponent_add_property(event, icalproperty_new_rrule(icalrecurrencetype_from_string(rule.c_str())));
    } else {
      if (a.dates.empty()) {
        icalcomponent_free(event);
        continue;
      }
      addZoned(event, icalproperty_new_dtstart(localTime(a.dates.front(), a.hour, a.minute)));
      if (options.rscale) {
        // The leap month falls on its ordinary month in years without it, and
        // a missing 30th on the month's last day: SKIP=BACKWARD.
        std::string month = std::to_string(a.month < 0 ? -a.month : a.month) + (a.month < 0 ? "L" : "");
        std::string day = a.day == 0 ? "-1" : std::to_string(a.day);
        const std::string rule = "RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=" + month + ";BYMONTHDAY=" + day +
                                 ";SKIP=BACKWARD";
        icalproperty *rr = icalproperty_new_from_string(("RRULE:" + rule).c_str());
        if (rr)
          icalcomponent_add_property(event, rr);
      } else {
        for (size_t i = 1; i < a.dates.size(); ++i) {
          icaldatetimeperiodtype dtp;
          dtp.time = localTime(a.dates[i], a.hour, a.minute);
          dtp.period = icalperiodtype_null_period();
          addZoned(event, icalproperty_new_rdate(dtp));
        }
      }
    }
    icalcomponent_add_property(event, icalproperty_new_duration(icaldurationtype_from_int(30 * 60)));
    if (a.alarm) {
      addDisplayAlarm(event, summary, 0);
      if (a.ahead > 0)
        addDisplayAlarm(event, summary, a.ahead);
    }
    icalcomponent_add_component(cal.get(), event);
  }

  char *text = icalcomponent_as_ical_string_r(cal.get());
  std::string out = text ? text : "";
  icalmemory_free_buffer(text);
  return out;
}

}  // namespace calixo::ics
