#!/usr/bin/env bash
# Builds the Debian package from a release build folder and checks what a
# user of the package gets: the files under /usr, the declared dependencies,
# lintian without errors, valid AppStream metainfo and desktop file, and the
# packaged program started through its launcher in a fresh home, from the
# package's files unpacked into a scratch root.
#   package_check.sh BUILD_DIR   (the targets calixo and dbfdump built)
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/calixo_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in usr/bin/calixo usr/bin/dbfdump usr/lib/calixo/calixo usr/lib/calixo/libcontoura.so \
         usr/lib/calixo/libhovrel.so usr/share/calixo/CALIXOBL.EXB usr/share/calixo/calixo.bmp \
         usr/share/calixo/calixo-first-run.ini usr/share/applications/calixo.desktop \
         usr/share/icons/hicolor/scalable/apps/calixo.svg \
         usr/share/metainfo/org.calixo.Calixo.metainfo.xml usr/share/doc/calixo/copyright \
         usr/share/doc/calixo/changelog.gz usr/share/man/man1/calixo.1.gz; do
  grep -qx "./$f" <<<"$contents" || fail "$f is not in the package"
done
if grep -v '^\./usr/' <<<"$contents" | grep -qv '^\./$'; then
  fail "files outside /usr: $(grep -v '^\./usr/' <<<"$contents" | grep -v '^\./$' | head -3)"
fi

# The dependencies come from the binaries: Qt's widgets and the JPEG library
# at least, never a sanitizer runtime or a build-only package.
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6gui6 libqt6core6 libjpeg62-turbo libc6; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
! grep -Eq 'libasan|libubsan|-dev' <<<"$depends" || fail "Depends names a build-only package: $depends"

lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || { cat "$scratch/lintian.log" >&2; fail "lintian"; }

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.calixo.Calixo.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate"
desktop-file-validate "$root/usr/share/applications/calixo.desktop" || fail "desktop-file-validate"

# The packaged launcher gives a fresh home its own data folder and the program
# runs there with the libraries from the package's private folder.
libs=$(ldd "$root/usr/lib/calixo/calixo")
grep -q "$root/usr/lib/calixo/libhovrel.so" <<<"$libs" || fail "the program does not find its libraries"
home="$scratch/home"
mkdir -p "$home"
where="$home/.local/share/calixo"
[ "$(HOME="$home" XDG_DATA_HOME= "$root/usr/bin/calixo" --where)" = "$where" ] || fail "--where"
env HOME="$home" XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen "$root/usr/bin/calixo" &
pid=$!
for _ in $(seq 1 100); do
  [ -e "$where/Calixo.ini" ] && [ -e "$where/TimeList.dbf" -o -e "$where/TIMELIST.DBF" ] && break
  sleep 0.1
done
kill -0 $pid 2>/dev/null || fail "the packaged program did not keep running"
kill $pid; wait $pid 2>/dev/null || true
cmp -s "$where/Calixo.ini" "$root/usr/share/calixo/calixo-first-run.ini" ||
  fail "the data folder did not get the first settings"
echo "package ok: $(basename "$deb"), $(wc -c <"$deb") bytes"
