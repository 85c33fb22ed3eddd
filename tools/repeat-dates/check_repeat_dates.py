#!/usr/bin/python3
"""Checks repeat-dates --extended 2012 2100 against the lunar sources.

  /usr/bin/python3 check_repeat_dates.py REPEAT_DATES

For every lunar year 2012 to 2100, every month (leap months as -1..-12) and
every day 0..30, the day the program gives must be the one worked out here
from each of three independent sources, ICU's Chinese calendar,
python3-lunardate and liblunar-date (read as tools/lunar-years reads them,
each up to the end of its coverage), by these rules: an ordinary month's date
falls in that month, never in the leap month of its number; a leap month's
date falls in that leap month, and in years without it in the ordinary month;
a day the month does not have, and day 0, fall on its last day. A source may
differ only in a lunar year for which tools/lunar-years/disagreements.txt
lists it, and at least two sources must confirm every date but
those of the last month of lunar 2100, which only ICU reaches to its end. Every Gregorian
date (29 February on the 28th in common years, day 0 the last day) is checked
against Python's own calendar. Exit status 0 when all agree, 1 otherwise.
"""

import calendar
import datetime
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "lunar-years"))
import lunar_years  # noqa: E402  the sources' readers

FIRST_YEAR = 2012
LAST_YEAR = 2100


def source_months():
    """{source: {(lunar year, month, leap): (first day, length)}}"""
    result = {}
    for name, source in lunar_years.SOURCES:
        if name == "ephem":
            continue
        day_list = []
        for item in lunar_years.coherent(source()):
            # A source past the end of its own table starts a year over: a
            # new year's day must open a later year than the day before.
            _, y, m, leap, day = item
            if day_list and m == 1 and day == 1 and not leap and y <= day_list[-1][1]:
                break
            day_list.append(item)
        months = {}
        for year, number, leap, start, length in lunar_years.months_of(day_list):
            if length is not None and FIRST_YEAR <= year <= LAST_YEAR:
                months[(year, number, leap)] = (start, length)
        result[name] = months
    return result


def listed_disagreements():
    listed = set()
    with open(lunar_years.DISAGREEMENTS_FILE, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"(\d{4}) .*: (\w+) gives ", line)
            if m:
                listed.add((m.group(2), int(m.group(1))))
    return listed


def lunar_expected(months, year, month, day):
    """The day by the rules, or None when the source does not reach it."""
    key = (year, -month, True) if month < 0 else (year, month, False)
    if month < 0 and key not in months:
        if (year, -month, False) not in months:
            return None
        key = (year, -month, False)
    if key not in months:
        return None
    start, length = months[key]
    d = length if day == 0 or day > length else day
    return start + datetime.timedelta(days=d - 1)


def gregorian_expected(year, month, day):
    length = calendar.monthrange(year, month)[1]
    return datetime.date(year, month, length if day == 0 or day > length else day)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = subprocess.run([argv[1], "--extended", str(FIRST_YEAR), str(LAST_YEAR)],
                         check=True, capture_output=True, text=True).stdout
    sources = source_months()
    listed = listed_disagreements()
    problems = []
    seen = {"L": 0, "G": 0}
    for line in out.splitlines():
        year, kind, month, day, date = line.split(",")
        year, month, day = int(year), int(month), int(day)
        got = datetime.date.fromisoformat(date)
        seen[kind] += 1
        if kind == "G":
            if got != gregorian_expected(year, month, day):
                problems.append("%s: want %s" % (line, gregorian_expected(year, month, day)))
            continue
        confirmed = 0
        for name, months in sources.items():
            want = lunar_expected(months, year, month, day)
            if want is None:
                continue
            if want == got:
                confirmed += 1
            elif (name, year) not in listed:
                problems.append("%s: %s gives %s, and no disagreement of %s in %d is listed"
                                % (line, name, want, name, year))
        # Only ICU reaches the end of the last month of lunar 2100, which
        # begins on 2100-12-31.
        last_month = year == LAST_YEAR and abs(month) == 12
        if confirmed < (1 if last_month else 2):
            problems.append("%s: confirmed by %d sources" % (line, confirmed))
    years = LAST_YEAR - FIRST_YEAR + 1
    if seen["L"] != years * 24 * 31 or seen["G"] != years * (366 + 12):
        problems.append("lines: %s, want %d lunar and %d Gregorian"
                        % (seen, years * 24 * 31, years * 378))
    for p in problems[:50]:
        print(p)
    if problems:
        print("%d problems" % len(problems))
        return 1
    print("%d lunar and %d Gregorian dates agree" % (seen["L"], seen["G"]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
