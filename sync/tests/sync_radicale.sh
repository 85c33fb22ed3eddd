#!/usr/bin/env bash
# calixo --sync against a real CalDAV server: Radicale on 127.0.0.1 with a
# scratch storage, and python3-caldav as the other client. Plans reach the
# server; an event added, changed (moved) and deleted there reaches the time
# table; a plan deleted in Calixo is deleted there; a change on both sides
# keeps both texts; a wrong password is a clear failure.
#   sync_radicale.sh CALIXO CALDAV_PEER
set -euo pipefail
calixo=$1 peer=$2
scratch=$(mktemp -d)
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$scratch/radicale.log" ] && tail -20 "$scratch/radicale.log" >&2; exit 1; }

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir "$scratch/store" "$scratch/data"
echo "alice:secret" >"$scratch/users"
cat >"$scratch/config" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $scratch/users
htpasswd_encryption = plain
[storage]
filesystem_folder = $scratch/store
[rights]
type = owner_only
CONF
radicale -C "$scratch/config" >"$scratch/radicale.log" 2>&1 &
server=$!
deadline=$((SECONDS + 30))
until curl -s -o /dev/null "http://127.0.0.1:$port/"; do
  [ $SECONDS -lt $deadline ] || fail "Radicale did not answer within 30 s"
  kill -0 "$server" 2>/dev/null || fail "Radicale ended"
  sleep 0.1
done
url="http://127.0.0.1:$port/alice/cal/"
[ "$(curl -s -o /dev/null -w '%{http_code}' -u alice:secret -X MKCALENDAR "$url")" = 201 ] || fail "MKCALENDAR"

cd "$scratch/data"
sync() { echo secret | "$calixo" --sync "$url" --user alice --password-stdin; }
expect_sync() {  # the counts one run must print
  out=$(sync) || fail "sync ($1): $out"
  case "$out" in *"：$1"*) ;; *) fail "sync printed '$out', expected '$1'" ;; esac
}
listed() { /usr/bin/python3 "$peer" list "$url" alice secret; }
agenda() { "$calixo" --agenda 2030-03-01 2030-03-31 | awk -F'\t' '$4 != ""'; }
same() { [ "$2" = "$3" ] || fail "$1: got
$2
expected
$3"; }

cat >../plans.ics <<'ICS'
BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//hand//EN
BEGIN:VEVENT
UID:a@hand
DTSTAMP:20300101T000000Z
DTSTART:20300304T010000Z
SUMMARY:开会
BEGIN:VALARM
ACTION:DISPLAY
TRIGGER:PT0S
DESCRIPTION:开会
END:VALARM
END:VEVENT
BEGIN:VEVENT
UID:b@hand
DTSTAMP:20300101T000000Z
DTSTART:20300304T020000Z
SUMMARY:写报告
END:VEVENT
END:VCALENDAR
ICS
"$calixo" --import-ics ../plans.ics >/dev/null

expect_sync "上传 2，下载 0，删除服务器上 0，删除本地 0，冲突 0"
same "plans on the server" "$(listed)" "plan-20300304-0900@calixo|2030-03-04 09:00|开会|alarm
plan-20300304-1000@calixo|2030-03-04 10:00|写报告|-"
expect_sync "上传 0，下载 0，删除服务器上 0，删除本地 0，冲突 0"

/usr/bin/python3 "$peer" add "$url" alice secret phone@peer "2030-03-05 14:00" "看牙医"
expect_sync "上传 0，下载 1，删除服务器上 0，删除本地 0，冲突 0"
agenda | grep -qFx "2030-03-05	14:00	计划	看牙医" || fail "the added event is not in the table: $(agenda)"

/usr/bin/python3 "$peer" change "$url" alice secret phone@peer "2030-03-05 16:30" "看牙医（改）"
expect_sync "上传 0，下载 1，删除服务器上 0，删除本地 0，冲突 0"
same "the changed event moved" "$(agenda | grep 2030-03-05)" "2030-03-05	16:30	计划	看牙医（改）"

/usr/bin/python3 "$peer" delete "$url" alice secret phone@peer
expect_sync "上传 0，下载 0，删除服务器上 0，删除本地 1，冲突 0"
same "the deleted event" "$(agenda | grep 2030-03-05 || true)" ""

# The time list stores a deleted plan as its row without text.
/usr/bin/python3 "$peer" settext TIMELIST.DBF "写报告" ""
expect_sync "上传 0，下载 0，删除服务器上 1，删除本地 0，冲突 0"
same "the plan deleted in Calixo" "$(listed)" "plan-20300304-0900@calixo|2030-03-04 09:00|开会|alarm"

/usr/bin/python3 "$peer" settext TIMELIST.DBF "开会" "开会吧"
/usr/bin/python3 "$peer" change "$url" alice secret plan-20300304-0900@calixo "2030-03-04 09:00" "会议室改了"
expect_sync "上传 0，下载 0，删除服务器上 0，删除本地 0，冲突 1"
same "both sides changed: the table" "$(agenda)" "2030-03-04	09:00	闹钟	开会吧；会议室改了"
same "both sides changed: the server" "$(listed)" "plan-20300304-0900@calixo|2030-03-04 09:00|开会吧；会议室改了|alarm"
expect_sync "上传 0，下载 0，删除服务器上 0，删除本地 0，冲突 0"

if out=$(echo wrong | "$calixo" --sync "$url" --user alice --password-stdin 2>&1); then
  fail "a wrong password synced: $out"
fi
case "$out" in *"$url"*"HTTP 401"*) ;; *) fail "a wrong password: '$out'" ;; esac
case "$out" in *wrong*) fail "the password was printed" ;; esac
echo "sync with Radicale ok"
