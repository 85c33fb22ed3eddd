#!/usr/bin/env python3
"""Reads calendars written by `calixo --export-ics` with python3-icalendar,
a reader independent of ours.

  ics_check.py plans FILE           prints one line per event, sorted:
                                    UID|local start|minutes|summary|alarm
  ics_check.py expect FILE EXPECTED checks FILE against those lines
"""
import sys
from datetime import timedelta

import icalendar


def events(path):
    with open(path, 'rb') as f:
        cal = icalendar.Calendar.from_ical(f.read())
    lines = []
    for ev in cal.walk('VEVENT'):
        start = ev.decoded('DTSTART')
        tzid = ev['DTSTART'].params.get('TZID')
        if tzid != 'Asia/Shanghai' or start.tzinfo is None:
            raise SystemExit(f'{ev["UID"]}: start not in Asia/Shanghai ({tzid})')
        minutes = int(ev.decoded('DURATION') / timedelta(minutes=1))
        alarm = any(a.get('ACTION') == 'DISPLAY' for a in ev.walk('VALARM'))
        lines.append('|'.join([str(ev['UID']), start.strftime('%Y-%m-%d %H:%M'), str(minutes),
                               str(ev['SUMMARY']), 'alarm' if alarm else '-']))
    return sorted(lines)


def main():
    mode, path = sys.argv[1], sys.argv[2]
    got = events(path)
    if mode == 'plans':
        print('\n'.join(got))
        return
    with open(sys.argv[3], encoding='utf-8') as f:
        expected = sorted(line.rstrip('\n') for line in f if line.strip())
    if got != expected:
        print('expected:', *expected, 'got:', *got, sep='\n  ')
        raise SystemExit(1)


main()
