#!/usr/bin/python3
"""Checks every line of lunar-table --extended --festivals --ganzhi 1912-02-18 2100-12-31.

  /usr/bin/python3 check_festivals.py LUNAR_TABLE

Each line (YYYY-MM-DD,RocYear,Month,Day,Label,YearStemBranch,Zodiac,
DayStemBranch) must be what is worked out here without the program's code:

- the lunar date is the majority of three sources, ICU's Chinese calendar,
  python3-lunardate and liblunar-date (read as tools/lunar-years reads them,
  each up to the end of its coverage). A source that leaves the majority must
  do so only where it is known to: in 2012 to 2100 where
  tools/lunar-years/disagreements.txt lists it for that lunar year, before
  2012 in the years KNOWN_EARLY lists. For 1912 to 2011 the program reads the
  classic year table verbatim, known faults included; the days on which that
  table leaves the sources are CLASSIC_DIFFERENCES, checked to be exactly those;
- the solar term of a day comes from the committed table
  lunar/solartermtable.cpp (which tools/solar-terms/check-solar-terms.py
  checks against python3-ephem), read straight from its records;
- the label is the lunar festival of the lunar date (none in a leap month;
  除夕 when the next day is 正月初一), else the Gregorian festival of the date
  (fixed days and the n-th Sunday of a month, from the year each was first
  kept: these are rules, written out here again, not data of the sources),
  else the solar term, else the day's name, on day 1 the month's name;
- the year's stem-branch and zodiac come from the lunar year (so they turn at
  正月初一), the day's stem-branch from the day's place in the sixty-day
  cycle, counted from 2000-01-01, a 戊午 day (54).

Exit status 0 when every line agrees, 1 otherwise.
"""

import datetime
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "lunar-years"))
import lunar_years  # noqa: E402  the sources' readers

FIRST = datetime.date(1912, 2, 18)
LAST = datetime.date(2100, 12, 31)
FIRST_LISTED_YEAR = 2012  # disagreements.txt covers the lunar years from here

DAY_NAMES = ([""] + ["初" + c for c in "一二三四五六七八九十"]
             + ["十" + c for c in "一二三四五六七八九"] + ["二十"]
             + ["廿" + c for c in "一二三四五六七八九"] + ["三十"])
MONTH_NAMES = ["", "正月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月",
               "十月", "冬月", "腊月"]
TERM_NAMES = ("小寒 大寒 立春 雨水 惊蛰 春分 清明 谷雨 立夏 小满 芒种 夏至 "
              "小暑 大暑 立秋 处暑 白露 秋分 寒露 霜降 立冬 小雪 大雪 冬至").split()
FESTIVALS = {(1, 1): "春节", (1, 15): "元宵", (2, 2): "龙抬头", (5, 5): "端午",
             (7, 7): "七夕", (7, 15): "中元", (8, 15): "中秋", (9, 9): "重阳",
             (10, 1): "寒衣", (10, 15): "下元", (12, 8): "腊八", (12, 23): "小年"}
# (month, day, first year kept); day as ("sunday", n) for the n-th Sunday.
GREGORIAN = {"元旦": (1, 1, 1950), "情人节": (2, 14, 1950), "妇女节": (3, 8, 1950),
             "植树节": (3, 12, 1979), "劳动节": (5, 1, 1950), "青年节": (5, 4, 1950),
             "儿童节": (6, 1, 1950), "建党节": (7, 1, 1950), "建军节": (8, 1, 1950),
             "教师节": (9, 10, 1985), "国庆节": (10, 1, 1950), "圣诞节": (12, 25, 1950),
             "母亲节": (5, ("sunday", 2), 1950), "父亲节": (6, ("sunday", 3), 1950)}
FESTIVAL_NAMES = set(FESTIVALS.values()) | {"除夕"} | set(GREGORIAN)
STEMS = "甲乙丙丁戊己庚辛壬癸"
BRANCHES = "子丑寅卯辰巳午未申酉戌亥"
ANIMALS = "鼠牛虎兔龙蛇马羊猴鸡狗猪"

# Lunar years (Gregorian number of the year's new year) before 2012 in which
# one source leaves the other two: ICU, which computes its months, places a
# handful of new moons close to midnight on the other day. python3-lunardate
# and liblunar-date read old tables of a common descent, so in 1954, 1956 and
# 1978 the two of them outvote ICU where ICU and the sky are right (see
# CLASSIC_DIFFERENCES).
KNOWN_EARLY = {
    ("icu", 1917), ("icu", 1922), ("icu", 1933), ("icu", 1954), ("icu", 1955),
    ("icu", 1956), ("icu", 1978), ("icu", 1987), ("icu", 1998),
}

# (first day, last day) of each run of days on which the classic year table,
# which the program keeps verbatim, gives another lunar date than the
# sources' majority; checked to be exactly these. The grid shows the table's
# date, so on these days the label is checked against the table's own date
# (its next day for 除夕) and the solar terms. The new moons were looked up
# with python3-ephem, in Beijing time:
# - the table's faults, where a festival may sit a day off the real calendar:
#   four runs start on 1 January, where a year's months and the next record's
#   new year disagree (after 1915, 1930, 1932 and 1943); the others begin a
#   month a day before its new moon;
# - "table right": the table, ICU and the new moon agree, lunardate and
#   liblunar-date begin the month a day early.
D = datetime.date
CLASSIC_DIFFERENCES = [
    (D(1916, 1, 1), D(1916, 3, 3)),      # table 11-25, sources 11-26
    (D(1931, 1, 1), D(1931, 2, 16)),     # table 11-14, sources 11-13
    (D(1932, 5, 5), D(1932, 6, 3)),      # table 4-1, sources 3-30; new moon 6 May 02:11
    (D(1932, 7, 3), D(1932, 8, 1)),      # table 6-1, sources 5-30; new moon 4 July 06:19
    (D(1932, 8, 31), D(1932, 10, 28)),   # table 8-1, sources 7-30; new moon 1 September 03:54
    (D(1932, 11, 27), D(1932, 12, 26)),  # table 11-1, sources 10-30; new moon 28 November 08:43
    (D(1933, 1, 1), D(1933, 1, 25)),     # table 12-5, sources 12-6
    (D(1943, 6, 2), D(1943, 12, 31)),    # table 5-1, sources 4-30; new moon 3 June 06:33
    (D(1953, 8, 9), D(1953, 9, 7)),      # table 7-1, sources 6-30; new moon 10 August 00:09
    (D(1954, 11, 25), D(1954, 12, 24)),  # table right: new moon 25 November 20:30
    (D(1956, 12, 2), D(1956, 12, 31)),   # table right: new moon 2 December 16:12
    (D(1978, 9, 2), D(1978, 10, 1)),     # table right: new moon 3 September 00:08
    (D(1989, 8, 1), D(1989, 8, 30)),     # table 7-1, sources 6-30; new moon 2 August 00:05
]


def days(first, last):
    d = first
    while d <= last:
        yield d
        d += datetime.timedelta(days=1)


def source_dates():
    """{source: {date: (lunar year, month, leap, day)}} over the whole range
    and the day after it."""
    lunar_years.FIRST_DAY = FIRST
    lunar_years.LAST_DAY = LAST + datetime.timedelta(days=1)
    result = {}
    for name, source in lunar_years.SOURCES:
        if name == "ephem":
            continue
        dates = {}
        for d, y, m, leap, day in lunar_years.coherent(source()):
            # A source past the end of its own table starts a year over: a
            # new year's day must open a later year than the day before.
            if dates and m == 1 and day == 1 and not leap and \
                    y <= dates[d - datetime.timedelta(days=1)][0]:
                break
            dates[d] = (y, m, leap, day)
        result[name] = dates
    return result


def listed_disagreements():
    """{(source, lunar year)} of tools/lunar-years/disagreements.txt."""
    listed = set()
    with open(lunar_years.DISAGREEMENTS_FILE, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"(\d{4}) .*: (\w+) gives ", line)
            if m:
                listed.add((m.group(2), int(m.group(1))))
    return listed


def majority_dates(sources, problems):
    """{date: (RocYear, month (negative when leap), day)} by majority."""
    known = KNOWN_EARLY | listed_disagreements()
    seen = set()
    dates = {}
    for d in days(FIRST, LAST + datetime.timedelta(days=1)):
        votes = {name: s[d] for name, s in sources.items() if d in s}
        values = list(votes.values())
        best = max(set(values), key=values.count)
        if values.count(best) < 2 or values.count(best) * 2 <= len(values):
            problems.append("%s: no majority among %s" % (d, votes))
            continue
        year, month, leap, day = best
        for name, v in votes.items():
            if v != best:
                seen.add((name, year))
                if (name, year) not in known:
                    problems.append("%s: %s gives %s, the others %s, and no disagreement of %s "
                                    "in lunar year %d is known" % (d, name, v, best, name, year))
        dates[d] = (year - 1911, -month if leap else month, day)
    for name, year in sorted(KNOWN_EARLY - seen):
        problems.append("%s in lunar year %d: listed as known but agrees now" % (name, year))
    return dates


def solar_terms():
    """{date: term name} from the committed table's records."""
    with open(os.path.join(ROOT, "lunar", "solartermtable.cpp"), encoding="utf-8") as f:
        text = f.read()
    records = re.findall(r'"(\d{24})"', text)
    terms = {}
    for i, record in enumerate(records):
        year = 1912 + i
        for k, c in enumerate(record):
            month = k // 2 + 1
            day = int(c) + (15 if k % 2 else 0)
            terms[datetime.date(year, month, day)] = TERM_NAMES[k]
    if len(records) != 2100 - 1912 + 1:
        raise SystemExit("solartermtable.cpp: %d records, want 189" % len(records))
    return terms


def gregorian_festival(date):
    for name, (month, day, first) in GREGORIAN.items():
        if date.month != month or date.year < first:
            continue
        if day == date.day:
            return name
        # weekday() 6 is Sunday; the n-th one falls on days 7 (n - 1) + 1 .. 7 n.
        if isinstance(day, tuple) and date.weekday() == 6 and (date.day - 1) // 7 + 1 == day[1]:
            return name
    return None


def stem_branch(n):
    return STEMS[n % 10] + BRANCHES[n % 12]


def ganzhi(date, lunar):
    year = (lunar[0] + 1911 - 4) % 60
    day = (54 + (date - datetime.date(2000, 1, 1)).days) % 60
    return [stem_branch(year), ANIMALS[year % 12], stem_branch(day)]


def label(date, lunar, next_lunar, terms):
    _, month, day = lunar
    if month > 0 and (month, day) in FESTIVALS:
        return FESTIVALS[(month, day)]
    if month > 0 and next_lunar is not None and next_lunar[1:] == (1, 1):
        return "除夕"
    if gregorian_festival(date):
        return gregorian_festival(date)
    if date in terms:
        return terms[date]
    if day == 1:
        return ("闰" if month < 0 else "") + MONTH_NAMES[abs(month)]
    return DAY_NAMES[day]


def in_classic_difference(d):
    return any(a <= d <= b for a, b in CLASSIC_DIFFERENCES)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    out = subprocess.run([argv[1], "--extended", "--festivals", "--ganzhi", FIRST.isoformat(),
                          LAST.isoformat()], capture_output=True, text=True, check=True)
    lines = out.stdout.splitlines()
    problems = []
    dates = majority_dates(source_dates(), problems)
    terms = solar_terms()
    want_days = list(days(FIRST, LAST))
    if len(lines) != len(want_days):
        problems.append("lunar-table printed %d lines, want %d" % (len(lines), len(want_days)))

    tool = {}
    for line in lines:
        fields = line.split(",")
        tool[datetime.date.fromisoformat(fields[0])] = (
            (int(fields[1]), int(fields[2]), int(fields[3])), fields[4], fields[5:])
    differences = []
    moved = []  # festivals the classic differences move: the table's label (the sources')
    specials = 0
    for d in want_days:
        if d not in tool:
            problems.append("%s: missing" % d)
            continue
        lunar, got, got_ganzhi = tool[d]
        if lunar != dates[d]:
            # The classic table's own date, where it leaves the sources.
            differences.append(d)
            if d.year >= FIRST_LISTED_YEAR or not in_classic_difference(d):
                problems.append("%s: lunar-table's lunar date %s, the sources' %s"
                                % (d, lunar, dates[d]))
                continue
            nxt = tool.get(d + datetime.timedelta(days=1), (None,))[0]
        else:
            lunar = dates[d]
            nxt = dates.get(d + datetime.timedelta(days=1))
        if d == LAST:
            nxt = None  # the program has no table beyond its last day
        want = label(d, lunar, nxt, terms)
        if lunar != dates[d]:
            right = label(d, dates[d], dates.get(d + datetime.timedelta(days=1)), terms)
            if want != right and (want in FESTIVAL_NAMES or right in FESTIVAL_NAMES):
                moved.append("%s %s (%s)" % (d, want, right))
        specials += want in FESTIVAL_NAMES or want in TERM_NAMES
        if got != want:
            problems.append("%s: lunar-table labels it %s, want %s" % (d, got, want))
        if got_ganzhi != ganzhi(d, lunar):
            problems.append("%s: lunar-table gives %s, want %s" % (d, got_ganzhi, ganzhi(d, lunar)))
    for a, b in CLASSIC_DIFFERENCES:
        if not all(x in differences for x in days(a, b)):
            problems.append("classic difference %s to %s: the table agrees with the sources there now"
                            % (a, b))
    for p in problems[:40]:
        print(p)
    print("%d days, %d festivals and terms, %d days on which the classic table leaves the "
          "sources (festivals that moves, the table's label with the sources' after it: %s), "
          "%d problems"
          % (len(lines), specials, len(differences), ", ".join(moved), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
