#!/usr/bin/python3
"""Another CalDAV client beside Calixo, for the sync test (python3-caldav),
and the time-table edits a user makes in the time list.

  caldav_peer.py list URL USER PASSWORD
      every event: UID|YYYY-MM-DD HH:MM (Asia/Shanghai)|summary|alarm or -
  caldav_peer.py add URL USER PASSWORD UID "YYYY-MM-DD HH:MM" SUMMARY
  caldav_peer.py change URL USER PASSWORD UID "YYYY-MM-DD HH:MM" SUMMARY
  caldav_peer.py delete URL USER PASSWORD UID
  caldav_peer.py settext TIMELIST.DBF OLD NEW
      the row whose text is OLD gets NEW (empty: the plan deleted), as the
      time list stores it: DO padded with blanks, GBK.
"""
import datetime
import sys
import zoneinfo

import caldav
import icalendar

ZONE = zoneinfo.ZoneInfo("Asia/Shanghai")


def calendar(url, user, password):
    return caldav.DAVClient(url=url, username=user, password=password).calendar(url=url)


def event_of(component):
    return next(c for c in component.walk() if c.name == "VEVENT")


def when(text):
    # In UTC: this icalendar names a zoneinfo zone by its abbreviation.
    local = datetime.datetime.strptime(text, "%Y-%m-%d %H:%M").replace(tzinfo=ZONE)
    return local.astimezone(datetime.timezone.utc)


def settext(path, old, new):
    data = bytearray(open(path, "rb").read())
    count = int.from_bytes(data[4:8], "little")
    header = int.from_bytes(data[8:10], "little")
    width = int.from_bytes(data[10:12], "little")
    offset, pos = 1, 32
    while data[pos] != 0x0D:
        name = data[pos:pos + 11].split(b"\0")[0].decode()
        size = data[pos + 16]
        if name == "DO":
            break
        offset += size
        pos += 32
    else:
        sys.exit("no DO field in " + path)
    old_bytes, new_bytes = old.encode("gbk"), new.encode("gbk")
    for n in range(count):
        at = header + n * width
        field = data[at + offset:at + offset + size]
        if data[at] != 0x2A and field.rstrip(b" ") == old_bytes:
            data[at + offset:at + offset + size] = new_bytes.ljust(size, b" ")
            open(path, "wb").write(data)
            return
    sys.exit("no row holds " + old)


def main():
    cmd, args = sys.argv[1], sys.argv[2:]
    if cmd == "settext":
        settext(*args)
        return
    cal = calendar(*args[:3])
    if cmd == "list":
        rows = []
        for ev in cal.events():
            e = event_of(ev.icalendar_instance)
            start = e.decoded("DTSTART").astimezone(ZONE)
            alarm = "alarm" if any(c.name == "VALARM" for c in e.walk()) else "-"
            rows.append(f"{e['UID']}|{start:%Y-%m-%d %H:%M}|{e['SUMMARY']}|{alarm}")
        print("\n".join(sorted(rows)))
    elif cmd == "add":
        uid, start, summary = args[3:]
        c = icalendar.Calendar()
        c.add("prodid", "-//peer//EN")
        c.add("version", "2.0")
        e = icalendar.Event()
        e.add("uid", uid)
        e.add("dtstamp", datetime.datetime.now(datetime.timezone.utc))
        e.add("dtstart", when(start))
        e.add("duration", datetime.timedelta(minutes=30))
        e.add("summary", summary)
        c.add_component(e)
        cal.save_event(c.to_ical().decode())
    elif cmd == "change":
        uid, start, summary = args[3:]
        ev = cal.event_by_uid(uid)
        c = ev.icalendar_instance
        e = event_of(c)
        e.pop("DTSTART")
        e.add("dtstart", when(start))
        e.pop("SUMMARY")
        e.add("summary", summary)
        ev.data = c.to_ical().decode()
        ev.save()
    elif cmd == "delete":
        cal.event_by_uid(args[3]).delete()
    else:
        sys.exit("unknown command " + cmd)


if __name__ == "__main__":
    main()
