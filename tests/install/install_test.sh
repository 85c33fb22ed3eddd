#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user gets: the
# launcher, the program with its libraries resolved, the data files, the menu
# entry and icon; then starts the installed program through the launcher in a
# fresh home and sees it fill the working folder and run.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for f in bin/calixo lib/calixo/calixo lib/calixo/libcontoura.so lib/calixo/libhovrel.so \
         share/calixo/CALIXOBL.EXB share/calixo/Zuimage.EXB share/calixo/CALIXOBLR.EXB \
         share/calixo/CALIXOTOP.EXB share/calixo/CalixoMb.EXB share/calixo/calixo.bmp \
         share/calixo/calixo-autostart.desktop share/applications/calixo.desktop \
         share/icons/hicolor/scalable/apps/calixo.svg bin/dbfdump; do
  [ -e "$prefix/$f" ] || fail "$f was not installed"
done
[ -x "$prefix/bin/calixo" ] || fail "the launcher is not executable"
# ldd's output is read whole: grep -q stops at the first match, and under
# pipefail the writer it leaves behind would fail the pipeline.
libs=$(ldd "$prefix/lib/calixo/calixo")
if grep -q "not found" <<<"$libs"; then
  echo "$libs" >&2
  fail "the installed program does not find its libraries"
fi
grep -q "$prefix/lib/calixo/libcontoura.so" <<<"$libs" ||
  fail "the program does not take libcontoura.so from its own folder"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/calixo.desktop"
fi

home="$scratch/home"
mkdir -p "$home"
where=$(HOME="$home" XDG_DATA_HOME= "$prefix/bin/calixo" --where)
[ "$where" = "$home/.local/share/calixo" ] || fail "working folder is $where"

# Starts the installed launcher with HOME=$1 (and any VAR=value after the
# data folder $2), waits until the program has written its settings and its
# time table there, and ends it.
start_and_stop() {
  local home=$1 where=$2
  shift 2
  env HOME="$home" XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen "$@" "$prefix/bin/calixo" &
  local pid=$!
  for _ in $(seq 1 100); do
    [ -e "$where/Calixo.ini" ] && [ -e "$where/TimeList.dbf" -o -e "$where/TIMELIST.DBF" ] && break
    sleep 0.1
  done
  kill -0 $pid 2>/dev/null || fail "the installed program did not keep running in $where"
  kill $pid; wait $pid 2>/dev/null || true
}

# A file the user already has is never replaced by the shipped one.
mkdir -p "$where"
echo "mine" > "$where/calixo.bmp"
start_and_stop "$home" "$where"
[ -e "$where/Calixo.ini" ] || fail "no Calixo.ini in the working folder"
[ -e "$where/CALIXOBL.EXB" ] || fail "region files were not copied to the working folder"
[ "$(cat "$where/calixo.bmp")" = "mine" ] || fail "the user's calixo.bmp was replaced"

# The program had never run in that folder: the launcher gave it the first
# settings, beside the user's own picture.
cmp -s "$where/Calixo.ini" "$prefix/share/calixo/calixo-first-run.ini" ||
  fail "a folder the program never ran in did not get the first-run settings"

# A folder the launcher makes itself starts with the shipped first settings
# (the template and [Lunar] Extended=1, Festivals=1); once deleted, the program
# writes the plain template again.
[ -e "$prefix/share/calixo/calixo-first-run.ini" ] || fail "calixo-first-run.ini was not installed"
home2="$scratch/home2"
mkdir -p "$home2"
where2="$home2/.local/share/calixo"
start_and_stop "$home2" "$where2"
cmp -s "$where2/Calixo.ini" "$prefix/share/calixo/calixo-first-run.ini" ||
  fail "a new data folder did not get the first-run settings"
rm "$where2/Calixo.ini"
start_and_stop "$home2" "$where2"
[ "$(grep -c '' "$where2/Calixo.ini")" = 43 ] || fail "a deleted Calixo.ini did not come back as the template"
! grep -qi lunar "$where2/Calixo.ini" || fail "a deleted Calixo.ini came back with a [Lunar] section"

# Installed in ~/.local, the shipped files and the data share one folder,
# which exists before the first start: it still gets the first settings.
where3="$prefix/share/calixo"
start_and_stop "$home2" "$where3" CALIXO_HOME="$where3"
cmp -s "$where3/Calixo.ini" "$where3/calixo-first-run.ini" ||
  fail "the shipped folder used as the data folder did not get the first-run settings"

HOME="$home" XDG_CONFIG_HOME= "$prefix/bin/calixo" --enable-autostart >/dev/null
[ -e "$home/.config/autostart/calixo.desktop" ] || fail "autostart entry not written"
HOME="$home" XDG_CONFIG_HOME= "$prefix/bin/calixo" --disable-autostart >/dev/null
[ ! -e "$home/.config/autostart/calixo.desktop" ] || fail "autostart entry not removed"
# A calendar file named on the launcher's command line is taken where the
# user is, not in the data folder.
(cd "$scratch" && HOME="$home" XDG_DATA_HOME= "$prefix/bin/calixo" --export-ics plans.ics >/dev/null)
[ -s "$scratch/plans.ics" ] || fail "--export-ics with a relative name did not write where the user is"
echo "install ok"
