#include "icsformat.h"

#include "gbk.h"

#include <libical/ical.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>

namespace calixo::ics {

namespace {

struct ComponentDeleter {
  void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentDeleter>;

constexpr size_t kTextBytes = 249;  // the width of DO

icaltimezone *shanghai() {
  static icaltimezone *zone = icaltimezone_get_builtin_timezone("Asia/Shanghai");
  return zone;
}

// UTF-8 -> GBK a character at a time, so that one character GBK cannot hold
// becomes "?" instead of ending the text. Returns how many were replaced.
int toGbk(const std::string &utf8, std::string &out) {
  out.clear();
  int replaced = 0;
  size_t i = 0;
  while (i < utf8.size()) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > utf8.size())
      len = utf8.size() - i;
    std::string one;
    if (calixo::utf8ToGbk(std::string_view(utf8).substr(i, len), one) && !one.empty()) {
      out += one;
    } else {
      out += '?';
      ++replaced;
    }
    i += len;
  }
  return replaced;
}

std::string describe(const std::string &summary, const icaltimetype &t) {
  char b[64];
  if (icaltime_is_null_time(t))
    std::snprintf(b, sizeof b, "（无开始时间）");
  else if (t.is_date)
    std::snprintf(b, sizeof b, "（%04d-%02d-%02d）", t.year, t.month, t.day);
  else
    std::snprintf(b, sizeof b, "（%04d-%02d-%02d %02d:%02d）", t.year, t.month, t.day, t.hour, t.minute);
  return "“" + summary + "”" + b;
}

// Display alarms: whether there is one, and the most days before the start
// that one of them rings (for an anniversary's days ahead).
void alarmsOf(icalcomponent *event, bool &any, int &daysAhead) {
  any = false;
  daysAhead = 0;
  for (icalcomponent *a = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); a;
       a = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
    icalproperty *action = icalcomponent_get_first_property(a, ICAL_ACTION_PROPERTY);
    if (!action || icalproperty_get_action(action) != ICAL_ACTION_DISPLAY)
      continue;
    any = true;
    if (icalproperty *tp = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY)) {
      const icaltriggertype trig = icalproperty_get_trigger(tp);
      if (icaltime_is_null_time(trig.time) && trig.duration.is_neg) {
        const int days = static_cast<int>(trig.duration.days + 7 * trig.duration.weeks);
        if (days > daysAhead)
          daysAhead = days;
      }
    }
  }
}

const char *xValue(icalcomponent *event, const char *name) {
  for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY))
    if (const char *n = icalproperty_get_x_name(p); n && strcasecmp(n, name) == 0)
      return icalproperty_get_x(p);
  return nullptr;
}

int listLength(const short *list, int max) {
  int n = 0;
  while (n < max && list[n] != ICAL_RECURRENCE_ARRAY_MAX)
    ++n;
  return n;
}

// A yearly rule that an anniversary can hold: every year, for ever, on one
// day. Fills a (kind, month, day) or returns false.
bool anniversaryOfRule(const icalrecurrencetype &r, const icaltimetype &start, LunarOf lunarOf,
                       AnniversaryRecord &a) {
  if (r.freq != ICAL_YEARLY_RECURRENCE || r.interval > 1 || r.count != 0 || !icaltime_is_null_time(r.until))
    return false;
  if (listLength(r.by_day, ICAL_BY_DAY_SIZE) || listLength(r.by_year_day, ICAL_BY_YEARDAY_SIZE) ||
      listLength(r.by_week_no, ICAL_BY_WEEKNO_SIZE) || listLength(r.by_set_pos, ICAL_BY_SETPOS_SIZE) ||
      listLength(r.by_hour, ICAL_BY_HOUR_SIZE) || listLength(r.by_minute, ICAL_BY_MINUTE_SIZE))
    return false;
  const int months = listLength(r.by_month, ICAL_BY_MONTH_SIZE);
  const int days = listLength(r.by_month_day, ICAL_BY_MONTHDAY_SIZE);
  if (months > 1 || days > 1)
    return false;
  const bool chinese = r.rscale && strcasecmp(r.rscale, "CHINESE") == 0;
  if (r.rscale && !chinese && strcasecmp(r.rscale, "GREGORIAN") != 0)
    return false;
  if (chinese) {
    a.kind = 'L';
    LunarDate lunar;
    if (months == 1 && days == 1) {
      const int m = icalrecurrencetype_month_month(r.by_month[0]);
      lunar.month = icalrecurrencetype_month_is_leap(r.by_month[0]) ? -m : m;
      lunar.day = r.by_month_day[0] == -1 ? 0 : r.by_month_day[0];
    } else if (months == 0 && days == 0) {
      if (!lunarOf || !lunarOf(Date{start.year, start.month, start.day}, lunar))
        return false;
    } else {
      return false;
    }
    if (lunar.month == 0 || lunar.month < -12 || lunar.month > 12 || lunar.day < 0 || lunar.day > 30)
      return false;
    a.month = lunar.month;
    a.day = lunar.day;
    return true;
  }
  a.kind = 'G';
  a.month = start.month;
  a.day = start.day;
  if (months == 1 && r.by_month[0] != start.month)
    return false;
  if (days == 1) {
    const short d = r.by_month_day[0];
    if (d == -1 && start.month == 2 && start.day == 29)
      return true;  // our own form of the 29th of February
    if (d != start.day)
      return false;
  }
  return true;
}

}  // namespace

bool ParseCalendar(const std::string &text, LunarOf lunarOf, ParseResult &out, std::string &error) {
  // A damaged line is reported by what it leaves out, never by ending the
  // program.
  icalerror_set_errors_are_fatal(0);
  ComponentPtr root(icalparser_parse_string(text.c_str()));
  if (!root) {
    error = "不是日历文件（没有 BEGIN:VCALENDAR）";
    return false;
  }
  icalcomponent *cal = root.get();
  if (icalcomponent_isa(cal) != ICAL_VCALENDAR_COMPONENT) {
    cal = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
    if (!cal) {
      error = "不是日历文件（没有 BEGIN:VCALENDAR）";
      return false;
    }
  }
  for (icalcomponent *c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
       c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
    const icalcomponent_kind kind = icalcomponent_isa(c);
    if (kind == ICAL_VTIMEZONE_COMPONENT)
      continue;
    const char *s = icalcomponent_get_summary(c);
    const std::string summary = s ? s : "";
    if (kind != ICAL_VEVENT_COMPONENT) {
      out.notImported.push_back("“" + summary + "”：" + icalcomponent_kind_to_string(kind) + " 不是日程");
      continue;
    }
    icaltimetype start = icalcomponent_get_dtstart(c);
    const std::string what = describe(summary, start);
    if (xValue(c, "X-CALIXO-RUN")) {
      out.notImported.push_back(what + "：运行项不导入");
      continue;
    }
    if (icaltime_is_null_time(start)) {
      out.notImported.push_back(what + "：没有开始时间");
      continue;
    }
    if (!start.is_date && start.zone)
      start = icaltime_convert_to_zone(start, shanghai());

    std::string gbk;
    if (const int bad = toGbk(summary, gbk))
      out.notes.push_back(what + "：" + std::to_string(bad) + " 个字符无法保存，以“?”代替");
    bool alarm = false;
    int ahead = 0;
    alarmsOf(c, alarm, ahead);

    icalproperty *rrule = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY);
    const char *ours = xValue(c, "X-CALIXO-ANNIVERSARY");
    if (ours || rrule) {
      AnniversaryRecord a;
      bool ok = false;
      if (ours) {
        char k = 0;
        int m = 0, d = 0;
        ok = std::sscanf(ours, "%c;%d;%d", &k, &m, &d) == 3 && (k == 'G' || k == 'L') && m != 0 &&
             m >= -12 && m <= 12 && d >= 0 && d <= 31;
        a.kind = k;
        a.month = m;
        a.day = d;
        if (const char *y = xValue(c, "X-CALIXO-YEAR"))
          a.year = std::atoi(y);
      } else if (!icalcomponent_get_next_property(c, ICAL_RRULE_PROPERTY)) {
        ok = anniversaryOfRule(icalproperty_get_rrule(rrule), start, lunarOf, a);
        if (ok && a.kind == 'G')
          a.year = start.year;
      }
      if (!ok) {
        const char *rule = rrule ? icalproperty_get_value_as_string(rrule) : ours;
        out.notImported.push_back(what + "：重复规则无法保存为纪念日（" + (rule ? rule : "") + "）");
        continue;
      }
      a.hour = start.is_date ? 0 : start.hour;
      a.minute = start.is_date ? 0 : start.minute;
      a.alarm = alarm;
      a.ahead = ahead;
      if (gbk.size() > kTextBytes) {
        gbk = std::string(calixo::cutGbk(gbk, kTextBytes));
        out.notes.push_back(what + "：文字超过249字节，已截短");
      }
      a.text = gbk;
      out.anniversaries.push_back(a);
      continue;
    }
    if (icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY)) {
      out.notImported.push_back(what + "：有多个日期（RDATE）的日程不导入");
      continue;
    }

    PlanRecord p;
    if (const char *uid = icalcomponent_get_uid(c))
      p.uid = uid;
    p.date = Date{start.year, start.month, start.day};
    p.alarm = alarm;
    std::string prefix;
    if (start.is_date) {
      p.hour = 0;
      p.minute = 0;
      prefix = "\xC8\xAB\xCC\xEC ";  // "全天 " (GBK)
    } else {
      p.hour = start.hour;
      p.minute = start.minute < 30 ? 0 : 30;
      if (start.minute % 30 != 0 || start.second != 0) {
        char b[16];
        std::snprintf(b, sizeof b, "%d:%02d ", start.hour, start.minute);
        prefix = b;
      }
    }
    std::string textGbk = prefix + gbk;
    if (textGbk.size() > kTextBytes) {
      textGbk = std::string(calixo::cutGbk(textGbk, kTextBytes));
      out.notes.push_back(what + "：文字超过249字节，已截短");
    }
    p.text = textGbk;
    out.plans.push_back(p);
  }
  return true;
}

}  // namespace calixo::ics
