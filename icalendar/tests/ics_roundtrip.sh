#!/usr/bin/env bash
# The program's iCalendar commands end to end: a calendar written by hand is
# imported into an empty folder, exported, read back by python3-icalendar,
# imported into a second empty folder and exported again, with the same
# events; importing the same file twice adds nothing.
#   ics_roundtrip.sh CALIXO ICS_CHECK
set -euo pipefail
calixo=$1 check=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir "$scratch/a" "$scratch/b"
cat >"$scratch/input.ics" <<'ICS'
BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//hand//written//EN
BEGIN:VEVENT
UID:one@hand
DTSTAMP:20261201T000000Z
DTSTART:20261208T010000Z
SUMMARY:开会
BEGIN:VALARM
ACTION:DISPLAY
TRIGGER:PT0S
DESCRIPTION:开会
END:VALARM
END:VEVENT
BEGIN:VEVENT
UID:two@hand
DTSTAMP:20261201T000000Z
DTSTART;TZID=Europe/Berlin:20261209T081500
SUMMARY:call Berlin
END:VEVENT
BEGIN:VEVENT
UID:three@hand
DTSTAMP:20261201T000000Z
DTSTART;VALUE=DATE:20270101
SUMMARY:元旦
END:VEVENT
BEGIN:VEVENT
UID:four@hand
DTSTAMP:20261201T000000Z
DTSTART:20261210T180000
RRULE:FREQ=WEEKLY
SUMMARY:周会
END:VEVENT
END:VCALENDAR
ICS
(cd "$scratch/a" && "$calixo" --import-ics ../input.ics) >"$scratch/import1.txt"
grep -q "新增 3 个计划" "$scratch/import1.txt" || { cat "$scratch/import1.txt"; fail "first import"; }
grep -q "未导入：“周会”" "$scratch/import1.txt" || fail "the weekly event was not listed as not imported"
(cd "$scratch/a" && "$calixo" --import-ics ../input.ics) >"$scratch/import2.txt"
grep -q "新增 0 个计划，并入已有的行 0 个，已经有的 3 个" "$scratch/import2.txt" ||
  { cat "$scratch/import2.txt"; fail "the second import added something"; }

(cd "$scratch/a" && "$calixo" --export-ics ../a.ics) >/dev/null
cat >"$scratch/expected.txt" <<'TXT'
plan-20261208-0900@calixo|2026-12-08 09:00|30|开会|alarm
plan-20261209-1500@calixo|2026-12-09 15:00|30|15:15 call Berlin|-
plan-20270101-0000@calixo|2027-01-01 00:00|30|全天 元旦|-
TXT
/usr/bin/python3 "$check" expect "$scratch/a.ics" "$scratch/expected.txt" || fail "the export read back"

(cd "$scratch/b" && "$calixo" --import-ics ../a.ics) >/dev/null
(cd "$scratch/b" && "$calixo" --export-ics ../b.ics) >/dev/null
[ "$(/usr/bin/python3 "$check" plans "$scratch/a.ics")" = "$(/usr/bin/python3 "$check" plans "$scratch/b.ics")" ] ||
  fail "the export imported into an empty folder differs"
echo "icalendar round trip ok"
