#!/bin/sh
# Starts Calixo in the user's own working folder. The program names every
# file (its tables, "Calixo.ini", the region files, the month pictures)
# relative to its current directory, so each user gets a folder of their own,
# created on first start and filled with the shipped data files; files already
# there are never replaced, so the user's tables and settings stay theirs.
#
#   calixo                       start the calendar
#   calixo --enable-autostart    start it with every desktop session
#   calixo --disable-autostart   stop doing that
#   calixo --where               print the working folder
#   calixo --export-ics FILE     write the plans to an iCalendar file
#   calixo --import-ics FILE     add the events of an iCalendar file
#   calixo --sync URL            sync the time table with a CalDAV calendar
#   calixo --agenda FROM TO      print the plans and anniversaries of those
#                                days (YYYY-MM-DD) from the working folder
set -e
here=$(dirname "$(readlink -f "$0")")
shipped="$here/../share/calixo"
program="$here/../lib/calixo/calixo"
work="${CALIXO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/calixo}"
autostart="${XDG_CONFIG_HOME:-$HOME/.config}/autostart/calixo.desktop"

case "${1:-}" in
  --enable-autostart)
    mkdir -p "$(dirname "$autostart")"
    cp "$shipped/calixo-autostart.desktop" "$autostart"
    echo "Calixo now starts with your desktop session ($autostart)."
    exit 0 ;;
  --disable-autostart)
    rm -f "$autostart"
    echo "Calixo no longer starts with your desktop session."
    exit 0 ;;
  --where)
    echo "$work"
    exit 0 ;;
esac

# A calendar file named on the command line is the user's, relative to where
# they are, not to the data folder the program works in.
case "${1:-}" in
  --export-ics | --import-ics)
    if [ $# -ge 2 ]; then
      case "$2" in
        /*) ;;
        *) first=$1 file=$PWD/$2; shift 2; set -- "$first" "$file" "$@" ;;
      esac
    fi ;;
esac

# A data folder the program has never run in (no settings and no time table
# yet, whether the folder is new or the install put the shipped files there,
# as an install in ~/.local does) starts with the program's own settings
# template followed by the switches for the lunar dates of today and their
# festivals and solar terms ([Lunar] Extended=1, Festivals=1). A Calixo.ini
# deleted later is written again by the program itself, as the plain
# template, since the time table is there by then.
used=0
for f in "$work"/*; do
  case "${f##*/}" in
    [Cc][Aa][Ll][Ii][Xx][Oo].[Ii][Nn][Ii] | [Tt][Ii][Mm][Ee][Ll][Ii][Ss][Tt].[Dd][Bb][Ff]) used=1 ;;
  esac
done
mkdir -p "$work"
if [ "$used" = 0 ] && [ -e "$shipped/calixo-first-run.ini" ]; then
  cp "$shipped/calixo-first-run.ini" "$work/Calixo.ini"
fi
for f in "$shipped"/*.EXB "$shipped"/*.bmp; do
  [ -e "$f" ] || continue
  [ -e "$work/${f##*/}" ] || cp "$f" "$work/"
done
cd "$work"

# Window shapes and always-on-top notes exist only on X11 (XWayland has them).
: "${QT_QPA_PLATFORM:=xcb}"
export QT_QPA_PLATFORM
# Chinese input: ask Qt for the input method the desktop runs.
if [ -z "${QT_IM_MODULE:-}" ]; then
  if command -v fcitx5 >/dev/null 2>&1 || command -v fcitx >/dev/null 2>&1; then
    export QT_IM_MODULE=fcitx
  elif command -v ibus-daemon >/dev/null 2>&1; then
    export QT_IM_MODULE=ibus
  fi
fi
exec "$program" "$@"
