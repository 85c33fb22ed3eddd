#!/usr/bin/python3
"""China's official holiday schedule, 2004 to 2026, from independent sources.

Every year the State Council announces which days are off (休) and which
weekend days are worked instead (班) for 元旦, 春节, 清明节, 劳动节, 端午节,
中秋节 and 国庆节. No single packaged copy of those notices is trusted: each
day's kind (休, 班 or an ordinary day) and its holiday's name are what
more of the sources that cover that year give than any other answer, and every source that
differs from the majority is listed in disagreements.txt.

Voting sources (npm packages, installed by fetch-sources.sh into a scratch
folder, read only by this tool):
  chinese-days      dist/chinese-days.json, 2004-2026
  holiday-calendar  data/CN/YYYY.json, 2000-2026
  chinese-workday   the two day tables in src/index.js, 2011-2026
  chinese-holidays  its bundled data/YYYY.json, 2016-2020
and one Debian package:
  kde               the China holiday file built into libKF5Holidays.so.5
                    (libkf5holidays5; libkf5holidays-data holds only its
                    translations). It has fixed 元旦, 劳动节 and 国庆节 and
                    the full schedule of 2009 only, so it votes in 2009.
Checking source (Debian, not voting: it tells working days from days off but
names no holiday and leaves weekend days of a break unmarked):
  workalendar       python3-workalendar's China calendar, 2018-2023

Only two sources carry 2004-2008 and 2010. Where the sources split evenly,
the day is decided by RULINGS below, each with its reason, and listed as a
disagreement; a split without a ruling stops the tool. A ruling also
overrides a majority that the count of days contradicts (one day). Most rulings follow from counting
days: before 2008 元旦 was one statutory day and 劳动节 three, from 2008 on
元旦, 劳动节, 清明节, 端午节 and 中秋节 one each; a statutory day on a weekend
is made up on the next weekday, and every further weekday off needs a
weekend day worked.

  holidays.py write [SOURCES]  writes holidays/holidaydays.inc and
                               tools/holidays/disagreements.txt
  holidays.py check [SOURCES]  exits 1 unless the committed file agrees with
                               every installed source as disagreements.txt
                               says; with the npm sources present (SOURCES,
                               default tools/holidays/sources), also that the
                               file and the list are exactly what the majority
                               gives today. Exits 77 when no source is
                               installed.
"""

import datetime
import glob
import json
import os
import re
import sys

FIRST_YEAR = 2004
LAST_YEAR = 2026

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DATA_FILE = os.path.join(ROOT, "holidays", "holidaydays.inc")
DISAGREEMENTS_FILE = os.path.join(HERE, "disagreements.txt")
DEFAULT_SOURCES = os.path.join(HERE, "sources")

OFF, WORK = "休", "班"

# Names as the notices give them; the sources' spellings are mapped onto them.
NAMES = [
    ("元旦", "元旦"), ("春节", "春节"), ("清明", "清明节"), ("劳动", "劳动节"),
    ("端午", "端午节"), ("中秋", "中秋节"), ("国庆", "国庆节"),
    # 2015's one-off day off for the 70th anniversary of the war's end.
    ("抗战", "抗战胜利纪念日"), ("反法西斯", "抗战胜利纪念日"),
]


def canonical_name(text):
    """The notice's name for a source's holiday text, or None: a day the
    source leaves unnamed, or one it gives two names (中秋节和国庆节), which
    then votes on its kind only."""
    found = {name for key, name in NAMES if key in text}
    return found.pop() if len(found) == 1 else None


def year_of(date):
    return int(date[:4])


# --- Sources: each returns (years covered, {date: (kind, name or None)}) ----

class SourceMissing(Exception):
    pass


def read_json(path):
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except FileNotFoundError as e:
        raise SourceMissing(path) from e


def source_chinese_days(sources):
    data = read_json(os.path.join(sources, "node_modules", "chinese-days", "dist",
                                  "chinese-days.json"))
    days = {}
    for table, kind in (("holidays", OFF), ("workdays", WORK)):
        for date, text in data[table].items():
            days[date] = (kind, canonical_name(text))
    return {year_of(d) for d in days}, days


def source_holiday_calendar(sources):
    folder = os.path.join(sources, "node_modules", "holiday-calendar", "data", "CN")
    files = sorted(glob.glob(os.path.join(folder, "[0-9][0-9][0-9][0-9].json")))
    if not files:
        raise SourceMissing(folder)
    years, days = set(), {}
    for path in files:
        data = read_json(path)
        years.add(int(data["year"]))
        for entry in data["dates"]:
            kind = OFF if entry["type"] == "public_holiday" else WORK
            days[entry["date"]] = (kind, canonical_name(entry.get("name_cn") or entry["name"]))
    return years, days


def source_chinese_workday(sources):
    path = os.path.join(sources, "node_modules", "chinese-workday", "src", "index.js")
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except FileNotFoundError as e:
        raise SourceMissing(path) from e
    days = {}
    for table, kind in (("HOLIDAYS", OFF), ("WEEKENDS_WORKDAY", WORK)):
        m = re.search(r"var %s = \{(.*?)\n\}" % table, text, re.S)
        if not m:
            raise SourceMissing(path + ": no table " + table)
        for date, name in re.findall(r"'(\d{4}-\d\d-\d\d)':\s*'([^']*)'", m.group(1)):
            days[date] = (kind, canonical_name(name))
    return {year_of(d) for d in days}, days


def source_chinese_holidays(sources):
    folder = os.path.join(sources, "node_modules", "chinese-holidays", "data")
    files = sorted(glob.glob(os.path.join(folder, "[0-9][0-9][0-9][0-9].json")))
    if not files:
        raise SourceMissing(folder)
    years, days = set(), {}
    for path in files:
        years.add(int(os.path.basename(path)[:4]))
        for event in read_json(path):
            kind = OFF if event["type"] == "holiday" else WORK
            first = datetime.date.fromisoformat(event["range"][0])
            last = datetime.date.fromisoformat(event["range"][-1])
            while first <= last:
                days[first.isoformat()] = (kind, canonical_name(event["name"]))
                first += datetime.timedelta(days=1)
    return years, days


MONTHS = ["january", "february", "march", "april", "may", "june", "july",
          "august", "september", "october", "november", "december"]


def kde_china_file():
    """The text of KHolidays' China file. The library keeps its holiday files
    as uncompressed Qt resources, so the text is found in the binary as it
    stands."""
    for path in glob.glob("/usr/lib/*/libKF5Holidays.so.5"):
        with open(path, "rb") as f:
            data = f.read()
        start = data.find(b":: Country:  PR China")
        if start < 0:
            raise SourceMissing(path + ": no China holiday file in it")
        end = data.find(b"\x00", start)
        return data[start:end].decode("utf-8", "replace")
    raise SourceMissing("libKF5Holidays.so.5 (Debian package libkf5holidays5)")


def source_kde(_sources):
    year = 2009
    days = {}
    line = re.compile(r'^"([^"]*)"\s+(public|civil)\s+on\s+(?:(\d+)\s+([a-z]+)\s+(\d{4})|'
                      r'([a-z]+)\s+(\d+))(?:\s+length\s+(\d+)\s+days)?\s*$')
    for text in kde_china_file().splitlines():
        m = line.match(text.strip())
        if not m:
            continue
        name, kind = m.group(1), OFF if m.group(2) == "public" else WORK
        if m.group(3):
            if int(m.group(5)) != year:
                continue
            first = datetime.date(year, MONTHS.index(m.group(4)) + 1, int(m.group(3)))
        else:  # a fixed day, every year
            first = datetime.date(year, MONTHS.index(m.group(6)) + 1, int(m.group(7)))
        for i in range(int(m.group(8) or 1)):
            days[(first + datetime.timedelta(days=i)).isoformat()] = (kind, canonical_name(name))
    return {year}, days


VOTERS = [
    ("chinese-days", source_chinese_days),
    ("holiday-calendar", source_holiday_calendar),
    ("chinese-workday", source_chinese_workday),
    ("chinese-holidays", source_chinese_holidays),
    ("kde", source_kde),
]
NPM_VOTERS = {"chinese-days", "holiday-calendar", "chinese-workday", "chinese-holidays"}


def workalendar_working_days():
    """{date: is a working day} for 2018-2023 from python3-workalendar."""
    import warnings
    try:
        from workalendar.asia import China
    except ImportError as e:
        raise SourceMissing("python3-workalendar") from e
    cal = China()
    result = {}
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        for year in range(2018, 2024):
            d = datetime.date(year, 1, 1)
            while d.year == year:
                result[d.isoformat()] = cal.is_working_day(d)
                d += datetime.timedelta(days=1)
    return result


# Days the two sources of 2004-2008 split on: date -> (vote, reason).
CD, HC = "chinese-days", "holiday-calendar"
RULINGS = {
    "2004-01-02": (None, "元旦 was one day (Thursday 1 January) and neither source has a"
                         " make-up day that a Friday off would need: as " + CD),
    "2004-01-03": (None, "a Saturday after a one-day 元旦 that is not part of a break: as " + CD),
    "2004-04-25": (None, "the count does not decide between the two 2004 劳动节 make-up days;"
                         " followed " + CD + " (8 and 9 May, the weekend after the break):"
                         " not confirmed by a third source"),
    "2004-05-09": ((WORK, "劳动节"), "as 2004-04-25"),
    "2004-09-26": (None, "the count does not decide between the two 2004 国庆节 make-up days;"
                         " followed " + CD + " (9 and 10 October, the weekend after the"
                         " break): not confirmed by a third source"),
    "2004-10-10": ((WORK, "国庆节"), "as 2004-09-26"),
    "2005-12-31": ((WORK, "元旦"), "2006 元旦 (Sunday) is made up on Monday 2 January; both"
                                 " sources give Tuesday 3 January off too, which needs a"
                                 " worked weekend day: as " + HC),
    "2007-12-29": ((WORK, "元旦"), "2008 元旦 (Tuesday) with Monday 31 December off needs a"
                                 " worked weekend day; " + HC + " leaves out the December"
                                 " days of the 2008 notice: as " + CD),
    "2007-12-30": ((OFF, "元旦"), "the Sunday inside the 2008 元旦 break: as 2007-12-29"),
    "2007-12-31": ((OFF, "元旦"), "as 2007-12-29"),
    "2008-05-04": ((WORK, "劳动节"), "劳动节 became one day in 2008; Friday 2 May off needs"
                                   " a worked weekend day: as " + CD),
    "2008-06-07": ((OFF, "端午节"), "端午节 fell on Sunday 8 June and is made up on Monday;"
                                  " no weekday beyond it is off, so no day is worked: as " + CD),
    "2008-09-13": ((OFF, "中秋节"), "中秋节 fell on Sunday 14 September and is made up on"
                                  " Monday; no day needs working: as " + CD),
    # A majority that the count contradicts: the 2012 notice's day in 2011,
    # which two sources file under neither year.
    "2011-12-31": ((WORK, "元旦"), "2012 元旦 (Sunday) is made up on Monday 2 January and all"
                                 " sources give Tuesday 3 January off too, which needs a"
                                 " worked weekend day: as " + CD),
    # Where four sources split two and two.
    "2016-04-03": ((OFF, "清明节"), "the Sunday between Saturday 2 April and 清明节 on Monday"
                                  " 4 April, all three off: as chinese-workday and"
                                  " chinese-holidays"),
    "2017-04-29": ((OFF, "劳动节"), "the weekend before 劳动节 on Monday 1 May, the three days"
                                  " off together: as chinese-workday and chinese-holidays"),
    "2017-04-30": ((OFF, "劳动节"), "as 2017-04-29"),
    "2020-01-31": ((OFF, "春节"), "the State Council lengthened the 2020 春节 break to 2"
                                " February (notice of 27 January 2020); chinese-workday and"
                                " chinese-holidays keep the first notice: as " + CD + " and " + HC),
    "2020-02-01": ((OFF, "春节"), "as 2020-01-31; the make-up day of the first notice was"
                                " dropped"),
}

# Days whose name the sources split on, in breaks that join 中秋节 and
# 国庆节: the day of 中秋 (the 15th of the eighth lunar month) is 中秋节, the
# others 国庆节.
NAME_RULINGS = {
    "2017-10-04": "中秋节",
    "2023-09-30": "国庆节",
    "2025-10-06": "中秋节",
}


# --- The majority -------------------------------------------------------------

def describe(vote):
    if vote is None:
        return "an ordinary day"
    kind, name = vote
    return "%s %s" % (kind, name or "(no name)")


def majority(voters):
    """(schedule {date: (kind, name)}, disagreement lines). voters is a list of
    (source name, years, days)."""
    schedule, lines = {}, []
    d = datetime.date(FIRST_YEAR, 1, 1)
    while d.year <= LAST_YEAR:
        date = d.isoformat()
        d += datetime.timedelta(days=1)
        votes = [(src, days.get(date)) for src, years, days in voters if year_of(date) in years]
        if len(votes) < 2:
            sys.exit("holidays.py: %s is covered by fewer than two sources" % date)
        kinds = [v[0] if v else None for _, v in votes]
        # The kind most sources give wins when no other kind has as many.
        winner = max(set(kinds), key=kinds.count)
        tied = [k for k in set(kinds) if kinds.count(k) == kinds.count(winner)]
        if len(tied) > 1 or date in RULINGS:
            split = "; ".join("%s gives %s" % (s, describe(v)) for s, v in votes)
            if date not in RULINGS:
                sys.exit("holidays.py: no majority for %s: %s" % (date, split))
            result, reason = RULINGS[date]
            if result is not None:
                schedule[date] = result
            lines.append("%s ruled %s (%s): %s" % (date, describe(result), split, reason))
            continue
        if winner is None:
            result = None
        else:
            names = [v[1] for _, v in votes if v and v[0] == winner and v[1]]
            name = max(set(names), key=names.count) if names else None
            if date in NAME_RULINGS:
                name = NAME_RULINGS[date]
                lines.append("%s no majority for the name (%s): %s, the day of 中秋 or not" % (
                    date, "; ".join("%s gives %s" % (s, describe(v)) for s, v in votes), name))
            elif not name or [names.count(n) for n in set(names)].count(names.count(name)) > 1:
                sys.exit("holidays.py: no majority for the name of %s: %s" % (date, names))
            result = (winner, name)
            schedule[date] = result
        for src, v in votes:
            same = (v is None and result is None) or (
                v is not None and result is not None and v[0] == result[0]
                and (v[1] is None or v[1] == result[1]))
            if not same:
                lines.append("%s %s gives %s, the majority %s" % (date, src, describe(v),
                                                                  describe(result)))
    return schedule, lines


def workalendar_lines(schedule, working):
    """The days on which python3-workalendar's working-day answer differs
    from the schedule's."""
    lines = []
    for date in sorted(working):
        weekend = datetime.date.fromisoformat(date).weekday() >= 5
        entry = schedule.get(date)
        works = (entry is not None and entry[0] == WORK) or (
            not weekend and not (entry is not None and entry[0] == OFF))
        if works != working[date]:
            lines.append("%s workalendar gives %s, the majority %s" % (
                date, "a working day" if working[date] else "a day off", describe(entry)))
    return lines


# --- The committed files ---------------------------------------------------

HEADER = """\
// China's official days off (休) and make-up working days (班), %d to %d:
// {year, month, day, kind, name}. Written by tools/holidays/holidays.py from
// the majority of its sources; do not edit (the user's holidays.txt changes
// years instead). Names are UTF-8.
""" % (FIRST_YEAR, LAST_YEAR)


def render(schedule):
    out = [HEADER]
    for date in sorted(schedule):
        kind, name = schedule[date]
        y, m, d = date.split("-")
        out.append('{%s, %d, %d, %s, "%s"},\n' % (y, int(m), int(d),
                                                   "kOff" if kind == OFF else "kWork", name))
    return "".join(out)


def parse_committed():
    schedule = {}
    with open(DATA_FILE, encoding="utf-8") as f:
        for y, m, d, kind, name in re.findall(r'\{(\d{4}), (\d+), (\d+), (kOff|kWork), "([^"]*)"\}',
                                              f.read()):
            schedule["%s-%02d-%02d" % (y, int(m), int(d))] = (OFF if kind == "kOff" else WORK, name)
    return schedule


def disagreement_header():
    return ("# Days on which a source differs from the majority of the sources that\n"
            "# cover the year (tools/holidays/holidays.py). Most are weekend days of a\n"
            "# break that a source leaves unmarked, or an old notice a source kept after\n"
            "# a later one changed it (the 2020 春节 break was lengthened to 2 February).\n")


def load_sources(sources, need_npm):
    voters, missing = [], []
    for name, reader in VOTERS:
        try:
            years, days = reader(sources)
            voters.append((name, years, days))
        except SourceMissing as e:
            if need_npm and name in NPM_VOTERS:
                sys.exit("holidays.py: %s is missing (%s); run tools/holidays/fetch-sources.sh"
                         % (name, e))
            missing.append(name)
    try:
        working = workalendar_working_days()
    except SourceMissing:
        working = None
        missing.append("workalendar")
    return voters, working, missing


def write(sources):
    voters, working, missing = load_sources(sources, need_npm=True)
    if missing:
        sys.exit("holidays.py: sources missing: %s" % ", ".join(missing))
    schedule, lines = majority(voters)
    lines += workalendar_lines(schedule, working)
    lines.sort()
    with open(DATA_FILE, "w", encoding="utf-8") as f:
        f.write(render(schedule))
    with open(DISAGREEMENTS_FILE, "w", encoding="utf-8") as f:
        f.write(disagreement_header() + "".join(l + "\n" for l in lines))
    print("%d days, %d disagreements" % (len(schedule), len(lines)))


def check(sources):
    committed = parse_committed()
    with open(DISAGREEMENTS_FILE, encoding="utf-8") as f:
        listed = [l.rstrip("\n") for l in f if l.strip() and not l.startswith("#")]
    voters, working, missing = load_sources(sources, need_npm=False)
    have_npm = all(name in [v[0] for v in voters] for name in NPM_VOTERS)
    failures = []
    if have_npm:
        schedule, lines = majority(voters)
        if working is not None:
            lines += workalendar_lines(schedule, working)
        if schedule != committed:
            changed = sorted(set(schedule) ^ set(committed) |
                             {k for k in schedule if committed.get(k) != schedule[k]})
            failures.append("the majority differs from the committed file on " +
                            ", ".join(changed[:20]))
        expected = sorted(l for l in listed if working is not None or " workalendar " not in l)
        if sorted(lines) != expected:
            failures.append("disagreements differ: new %s, gone %s" % (
                sorted(set(lines) - set(listed))[:10], sorted(set(expected) - set(lines))[:10]))
    else:
        # Without the npm sources: each installed source must differ from the
        # committed file exactly where the list says it does.
        present = [v for v in voters]
        for name, years, days in present:
            mine = []
            for date in sorted(set(committed) | set(days)):
                if year_of(date) not in years or not FIRST_YEAR <= year_of(date) <= LAST_YEAR:
                    continue
                v, result = days.get(date), committed.get(date)
                same = (v is None and result is None) or (
                    v is not None and result is not None and v[0] == result[0]
                    and (v[1] is None or v[1] == result[1]))
                if not same:
                    mine.append("%s %s gives %s, the majority %s" % (date, name, describe(v),
                                                                     describe(result)))
            theirs = [l for l in listed if l.split(" ")[1] == name]
            if sorted(mine) != sorted(theirs):
                failures.append("%s: new %s, gone %s" % (name, sorted(set(mine) - set(theirs))[:10],
                                                         sorted(set(theirs) - set(mine))[:10]))
        if working is not None:
            mine = workalendar_lines(committed, working)
            theirs = [l for l in listed if l.split(" ")[1] == "workalendar"]
            if sorted(mine) != sorted(theirs):
                failures.append("workalendar: new %s, gone %s" % (
                    sorted(set(mine) - set(theirs))[:10], sorted(set(theirs) - set(mine))[:10]))
        if not present and working is None:
            print("holidays.py: no source is installed; nothing to check")
            return 77
    for f in failures:
        print("holidays.py: " + f)
    checked = [v[0] for v in voters] + (["workalendar"] if working is not None else [])
    print("checked %d days against %s%s" % (len(committed), ", ".join(checked),
                                            "" if not missing else " (missing: %s)" % ", ".join(missing)))
    return 1 if failures else 0


def main(argv):
    if len(argv) < 2 or argv[1] not in ("write", "check") or len(argv) > 3:
        print(__doc__)
        return 2
    sources = argv[2] if len(argv) == 3 else DEFAULT_SOURCES
    if argv[1] == "write":
        write(sources)
        return 0
    return check(sources)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
