#!/usr/bin/python3
"""Lunar year records for 2012 to 2100, from four independent sources.

Each record is nine decimal digits, as in the program's classic table:
leap month (2 digits, 13 = none), month-size number (4 digits, bit 11 =
month 1 ... bit 0 = month 12, set = 30 days), leap-month length code (1 digit:
0 none, 1 = 29 days, 2 = 30 days), Gregorian days before the lunar new year
(2 digits).

Sources (Debian packages):
  icu        ICU's Chinese calendar (python3-icu)
  lunardate  the year table of python3-lunardate (to the lunar year 2099)
  liblunar   liblunar-date through GObject introspection (gir1.2-lunardate-3.0)
  ephem      months computed from new moons and principal solar terms,
             Beijing time (UTC+8), with python3-ephem; TT - UT by Espenak
             and Meeus rather than ephem's own steeper extrapolation

No source is trusted alone: every field of a year's record (new-year day, leap
month, leap length, each month's length) is taken by strict majority of the
sources that cover it, and every disagreement with the majority is listed.

  lunar_years.py write     writes lunar/lunaryears-extended.inc and
                           tools/lunar-years/disagreements.txt
  lunar_years.py check [LUNAR_TABLE]
                           recomputes every source and exits 1 unless the
                           committed records and disagreement list are exactly
                           what the sources give today; given the lunar-table
                           program, also that its --extended output for 2012
                           to 2100 is, day by day, the sources' majority
  lunar_years.py dates     prints the majority's lunar date of every day from
                           2012-01-01 to 2100-12-31 (YYYY-MM-DD,year,month,day)
"""

import datetime
import os
import re
import sys

FIRST_YEAR = 2012
LAST_YEAR = 2100
# Days the sources are asked about: the last months of lunar 2011 to the
# first months of lunar 2101, so every record's last month has an end.
FIRST_DAY = datetime.date(2011, 11, 1)
LAST_DAY = datetime.date(2101, 3, 31)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
RECORDS_FILE = os.path.join(ROOT, "lunar", "lunaryears-extended.inc")
DISAGREEMENTS_FILE = os.path.join(HERE, "disagreements.txt")

BEIJING = datetime.timedelta(hours=8)


def days(first, last):
    d = first
    while d <= last:
        yield d
        d += datetime.timedelta(days=1)


# --- Sources: each yields (date, lunar year, month, leap, day) per day -------

def icu_days():
    import icu
    zone = icu.TimeZone.createTimeZone("Etc/GMT-8")  # UTC+8, no daylight saving
    cal = icu.Calendar.createInstance(zone, icu.Locale("zh_CN@calendar=chinese"))
    fields = icu.UCalendarDateFields
    is_leap_month = 22  # UCAL_IS_LEAP_MONTH, not exported by the binding
    epoch = datetime.date(1970, 1, 1)
    for d in days(FIRST_DAY, LAST_DAY):
        # Noon in Beijing is 04:00 UTC.
        cal.setTime(float((d - epoch).days * 86400 + 4 * 3600))  # seconds
        year = cal.get(fields.EXTENDED_YEAR) - 2637
        yield d, year, cal.get(fields.MONTH) + 1, bool(cal.get(is_leap_month)), \
            cal.get(fields.DAY_OF_MONTH)


def lunardate_days():
    import lunardate
    for d in days(FIRST_DAY, LAST_DAY):
        try:
            l = lunardate.LunarDate.fromSolarDate(d.year, d.month, d.day)
        except ValueError:
            return
        yield d, l.year, l.month, bool(l.isLeapMonth), l.day


def liblunar_days():
    import gi
    gi.require_version("LunarDate", "3.0")
    from gi.repository import GLib, LunarDate
    ld = LunarDate.Date.new()
    for d in days(FIRST_DAY, LAST_DAY):
        try:
            ld.set_solar_date(d.year, d.month, d.day, 12)
        except GLib.Error:
            return
        year, month, day = ld.strftime("%(nian)|%(yue)|%(ri)").split("|")
        leap = month.startswith("*")
        yield d, int(year), int(month.lstrip("*")), leap, int(day)


def espenak_meeus_delta_t(t):
    """TT - UT in seconds by the polynomials of Espenak and Meeus (2006).
    ephem's own extrapolation beyond its table grows much faster than the
    Earth has slowed since (about 124 s for 2057 against 69 s measured in
    2024), which moves new moons close to midnight onto the wrong day."""
    import ephem
    dt = ephem.Date(t).datetime()
    y = dt.year + (dt.month - 0.5) / 12.0
    if y < 2050:
        u = y - 2000
        return 62.92 + 0.32217 * u + 0.005589 * u * u
    u = (y - 1820) / 100.0
    return -20 + 32 * u * u - 0.5628 * (2150 - y)


def beijing_date(t):
    """The Beijing date of an instant ephem gives in its own UT."""
    import ephem
    tt = t + ephem.delta_t(t) / 86400.0
    ut = tt - espenak_meeus_delta_t(t) / 86400.0
    return (ephem.Date(ut + BEIJING.total_seconds() / 86400.0)).datetime().date()


def principal_terms(first, last):
    """Beijing dates of the principal solar terms (sun longitude a multiple of 30)."""
    import ephem
    sun = ephem.Sun()

    def term(t):  # index of the 30-degree segment the sun is in at t
        sun.compute(t)
        ecl = ephem.Ecliptic(ephem.Equatorial(sun.g_ra, sun.g_dec, epoch=t), epoch=t)
        return int(float(ecl.lon) * 180.0 / 3.141592653589793 // 30.0)

    found = []
    t = ephem.Date(first)
    end = ephem.Date(last)
    k = term(t)
    while t < end:
        u = ephem.Date(t + 1)
        ku = term(u)
        if ku != k:
            lo, hi = t, u  # the term is crossed in (lo, hi]
            while hi - lo > 1.0 / 86400:
                mid = (lo + hi) / 2
                if term(mid) == k:
                    lo = mid
                else:
                    hi = mid
            found.append(beijing_date(hi))
            k = ku
        t = u
    return found


def ephem_days():
    import ephem
    start = datetime.date(FIRST_DAY.year - 1, 10, 1)
    stop = datetime.date(LAST_DAY.year + 1, 3, 1)
    moons = []
    t = ephem.Date(start)
    while True:
        t = ephem.next_new_moon(t)
        if beijing_date(t) > stop:
            break
        moons.append(beijing_date(t))
        t = ephem.Date(t + 1)
    terms = principal_terms(start, stop)
    solstices = []
    t = ephem.Date(start)
    while True:
        t = ephem.next_solstice(t)
        if beijing_date(t) > stop:
            break
        if ephem.Date(t).datetime().month == 12:
            solstices.append(beijing_date(t))
        t = ephem.Date(t + 1)

    def month_start_of(day):
        return max(m for m in moons if m <= day)

    # Months from the eleventh month of one year to the eleventh of the next;
    # with thirteen of them, the first without a principal term is the leap
    # month and takes the number of the month before it.
    months = []  # (start, number, leap)
    for a, b in zip(solstices, solstices[1:]):
        first, last = month_start_of(a), month_start_of(b)
        starts = [m for m in moons if first <= m < last]
        nexts = [m for m in moons if m > first][:len(starts)]
        leap_pending = len(starts) == 13
        number = 11
        for i, (s, e) in enumerate(zip(starts, nexts)):
            if i == 0:
                months.append((s, 11, False))
                continue
            if leap_pending and not any(s <= x < e for x in terms):
                leap_pending = False
                months.append((s, number, True))
                continue
            number = number % 12 + 1
            months.append((s, number, False))
    year = None
    for (s, number, leap), (e, _, _) in zip(months, months[1:]):
        if number == 1 and not leap:
            year = s.year
        if year is None:
            year = s.year - 1  # the months before the first new year
        for i, d in enumerate(days(s, e - datetime.timedelta(days=1))):
            if FIRST_DAY <= d <= LAST_DAY:
                yield d, year, number, leap, i + 1


SOURCES = [
    ("icu", icu_days),
    ("lunardate", lunardate_days),
    ("liblunar", liblunar_days),
    ("ephem", ephem_days),
]


# --- From days to records ---------------------------------------------------

def coherent(day_iter):
    """The days a source gives, up to the first one that does not follow from
    the day before: the next day of the same month, or day 1 of a month. That
    is where the source's coverage ends (some return dates past their range
    instead of refusing)."""
    prev = None
    for item in day_iter:
        d, year, month, leap, day = item
        if not (1 <= month <= 12 and 1 <= day <= 30):
            return
        if prev is not None and day != 1 and (
                (year, month, leap) != prev[1:4] or day != prev[4] + 1):
            return
        yield item
        prev = item


def months_of(day_list):
    """The lunar months among a source's days, as (year, number, leap, start,
    length); the last, unfinished month has length None."""
    months = []
    for d, year, month, leap, day in day_list:
        if day == 1:
            if months:
                months[-1][4] = (d - months[-1][3]).days
            months.append([year, month, leap, d, None])
    return [tuple(m) for m in months]


def fields_of(months):
    """Per lunar year, the record's fields a source determines: 'newyear' (days
    of the Gregorian year before it), 'leap' (month number or 13), 'leapdays',
    and 1..12 (month lengths). A field is left out when the source does not
    reach it."""
    by_year = {}
    for year, number, leap, start, length in months:
        by_year.setdefault(year, []).append((number, leap, start, length))
    result = {}
    for year, ms in by_year.items():
        if not FIRST_YEAR <= year <= LAST_YEAR:
            continue
        f = {}
        first = ms[0]
        if first[0] == 1 and not first[1]:
            f["newyear"] = (first[2] - datetime.date(year, 1, 1)).days
        complete = [m[0] for m in ms if not m[1]] == list(range(1, 13))
        leaps = [m for m in ms if m[1]]
        for number, leap, start, length in ms:
            if length is None:
                continue
            if leap:
                f["leapdays"] = length
            else:
                f[number] = length
        if complete and ms[-1][3] is not None:
            f["leap"] = leaps[0][0] if leaps else 13
            if not leaps:
                f["leapdays"] = 0
        elif leaps:
            f["leap"] = leaps[0][0]
        result[year] = f
    return result


FIELD_ORDER = ["newyear", "leap", "leapdays"] + list(range(1, 13))


def field_name(field):
    if isinstance(field, int):
        return "month %d length" % field
    return {"newyear": "new-year day", "leap": "leap month",
            "leapdays": "leap-month length"}[field]


def field_value(field, value):
    if field == "newyear":
        return "day %d" % (value + 1)
    if field == "leap":
        return "none" if value == 13 else str(value)
    return str(value)


def majority(per_source):
    """per_source: {name: {year: fields}}. Returns the chosen fields per year
    and the list of disagreements (year, field, source, its value, chosen)."""
    chosen = {}
    disagreements = []
    for year in range(FIRST_YEAR, LAST_YEAR + 1):
        fields = {}
        for field in FIELD_ORDER:
            votes = {name: f[year][field] for name, f in per_source.items()
                     if year in f and field in f[year]}
            counts = {}
            for v in votes.values():
                counts[v] = counts.get(v, 0) + 1
            best = max(counts.items(), key=lambda kv: kv[1]) if counts else (None, 0)
            if best[1] < 2 or best[1] * 2 <= len(votes):
                raise SystemExit("%d: no majority for the %s: %s"
                                 % (year, field_name(field), votes))
            fields[field] = best[0]
            for name, v in votes.items():
                if v != best[0]:
                    disagreements.append((year, field, name, v, best[0]))
        chosen[year] = fields
    return chosen, disagreements


def record(fields):
    number = 0
    for m in range(1, 13):
        number = number * 2 + (1 if fields[m] == 30 else 0)
    code = {0: 0, 29: 1, 30: 2}[fields["leapdays"]]
    return "%02d%04d%d%02d" % (fields["leap"], number, code, fields["newyear"])


def check_consistent(chosen):
    """Each year runs exactly to the next year's new year."""
    for year in range(FIRST_YEAR, LAST_YEAR):
        f, g = chosen[year], chosen[year + 1]
        length = sum(f[m] for m in range(1, 13)) + f["leapdays"]
        start = datetime.date(year, 1, 1) + datetime.timedelta(days=f["newyear"])
        nxt = datetime.date(year + 1, 1, 1) + datetime.timedelta(days=g["newyear"])
        if (nxt - start).days != length:
            raise SystemExit("%d: the year's months do not reach the next new year" % year)


def disagreement_lines(disagreements):
    return ["%d %s: %s gives %s, the majority %s"
            % (y, field_name(f), n, field_value(f, v), field_value(f, c))
            for y, f, n, v, c in disagreements]


def records_text(records):
    lines = ["// Lunar year records 2012 to 2100, written by tools/lunar-years/lunar_years.py",
             "// from the majority of four sources; do not edit by hand."]
    for year in range(FIRST_YEAR, LAST_YEAR + 1, 5):
        row = ", ".join('"%s"' % records[y] for y in range(year, min(year + 5, LAST_YEAR + 1)))
        lines.append("/* %d */ %s," % (year, row))
    return "\n".join(lines) + "\n"


def compute():
    per_source = {}
    day_lists = {}
    for name, source in SOURCES:
        day_lists[name] = list(coherent(source()))
        per_source[name] = fields_of(months_of(day_lists[name]))
    chosen, disagreements = majority(per_source)
    check_consistent(chosen)
    records = {y: record(chosen[y]) for y in chosen}
    return day_lists, records, disagreement_lines(disagreements)


def print_dates(day_lists):
    for line in majority_dates(day_lists):
        print(line)
    return 0


def majority_dates(day_lists):
    """Each day's lunar date by majority of the sources, day by day, in the
    form lunar-table prints (RocYear, month negative when leap, day)."""
    lines = []
    by_day = {}
    for lst in day_lists.values():
        for d, year, month, leap, day in lst:
            by_day.setdefault(d, []).append((year, month, leap, day))
    for d in days(datetime.date(FIRST_YEAR, 1, 1), datetime.date(LAST_YEAR, 12, 31)):
        votes = by_day.get(d, [])
        best = max(set(votes), key=votes.count) if votes else None
        if best is None or votes.count(best) * 2 <= len(votes):
            raise SystemExit("%s: no majority: %s" % (d, votes))
        year, month, leap, day = best
        lines.append("%s,%d,%d,%d" % (d.isoformat(), year - 1911, -month if leap else month, day))
    return lines


def check_tool(tool, day_lists):
    """True when lunar-table --extended agrees with the sources on every day."""
    import subprocess
    out = subprocess.run([tool, "--extended", "%d-01-01" % FIRST_YEAR, "%d-12-31" % LAST_YEAR],
                         capture_output=True, text=True, check=True).stdout.splitlines()
    got = [",".join(line.split(",")[:4]) for line in out]
    want = majority_dates(day_lists)
    wrong = [(g, w) for g, w in zip(got, want) if g != w]
    for g, w in wrong[:20]:
        print("lunar-table gives %s, the sources %s" % (g, w))
    if len(got) != len(want):
        print("lunar-table printed %d days, want %d" % (len(got), len(want)))
    print("lunar-table --extended: %d days, %d differ from the sources" % (len(got), len(wrong)))
    return not wrong and len(got) == len(want)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def main(argv):
    mode = argv[1] if len(argv) >= 2 else ""
    if mode not in ("write", "check", "dates") or len(argv) > (3 if mode == "check" else 2):
        sys.stderr.write(__doc__)
        return 2
    day_lists, records, lines = compute()
    if mode == "write":
        with open(RECORDS_FILE, "w", encoding="utf-8") as f:
            f.write(records_text(records))
        with open(DISAGREEMENTS_FILE, "w", encoding="utf-8") as f:
            f.write("".join(line + "\n" for line in lines))
        for line in lines:
            print(line)
        print("%d records, %d disagreements resolved" % (len(records), len(lines)))
        return 0
    if mode == "dates":
        return print_dates(day_lists)
    ok = True
    if read(RECORDS_FILE) != records_text(records):
        committed = re.findall(r'"(\d{9})"', read(RECORDS_FILE))
        for i, year in enumerate(range(FIRST_YEAR, LAST_YEAR + 1)):
            have = committed[i] if i < len(committed) else "(missing)"
            if have != records[year]:
                print("%d: committed %s, the sources give %s" % (year, have, records[year]))
        ok = False
    want = read(DISAGREEMENTS_FILE).splitlines()
    if want != lines:
        for line in sorted(set(want) - set(lines)):
            print("listed but no longer found: " + line)
        for line in sorted(set(lines) - set(want)):
            print("found but not listed: " + line)
        ok = False
    print("%d records, %d disagreements: %s" % (len(records), len(lines), "as committed" if ok else "CHANGED"))
    if len(argv) == 3 and not check_tool(argv[2], day_lists):
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
