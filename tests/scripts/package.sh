#!/usr/bin/env bash
# The Debian package: built from the build folder, unpacked into a scratch
# root, its layout checked, and the unpacked program run from there.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/tarvex_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single tarvex_<version>_amd64.deb"
deb=${debs[0]}

# Nothing of Oracle's goes into the package, and its dependencies were computed.
contents=$(dpkg-deb -c "$deb")
if grep -i -E 'clntsh|libocci|/oci[^/]*$|fakeoci' <<<"$contents"; then fail "Oracle files in the package"; fi
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libsqlite3-0 libqt6widgets6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
description=$(dpkg-deb -f "$deb" Description)
[[ $description == *データベース* ]] || fail "no Japanese description"

root=$work/root
dpkg -x "$deb" "$root"
usr=$root/usr
[ -x "$usr/bin/tarvex" ] || fail "no usr/bin/tarvex"
modules=("$usr"/lib/tarvex/libtarvex-window.so "$usr"/lib/*/tarvex/libtarvex-window.so)
found=0
for m in "${modules[@]}"; do [ -f "$m" ] && found=1; done
[ $found -eq 1 ] || fail "no window module under usr/lib"
desktop-file-validate "$usr/share/applications/tarvex.desktop" || fail "desktop entry not valid"
grep -q '^MimeType=.*application/sql' "$usr/share/applications/tarvex.desktop" || fail "desktop entry opens no .sql"
[ -f "$usr/share/icons/hicolor/scalable/apps/tarvex.svg" ] || fail "no scalable icon"
[ -f "$usr/share/icons/hicolor/48x48/apps/tarvex.png" ] || fail "no 48 px icon"
for page in man1/tarvex.1.gz ja/man1/tarvex.1.gz; do
  [[ $(zcat "$usr/share/man/$page") == .TH\ TARVEX\ 1* ]] || fail "no manual page $page"
done

# The unpacked program runs from where it was unpacked.
version=$("$usr/bin/tarvex" --version)
[[ $version == "Tarvex Version "* ]] || fail "--version said: $version"
printf 'connect scott/tiger\ncreate table t (n number);\ninsert into t values (42);\nselect n from t;\nexit\n' >"$work/s.sql"
out=$(TARVEX_HOME=$work/home "$usr/bin/tarvex" --batch "$work/s.sql")
grep -q '^        42$\|^42 *$' <<<"$out" || { echo "$out"; fail "the query's row is missing"; }
grep -q '1行が作成されました。' <<<"$out" || { echo "$out"; fail "no feedback line"; }
# ... and finds its window module in the library folder it was installed with.
TARVEX_HOME=$work/home QT_QPA_PLATFORM=offscreen "$usr/bin/tarvex" --screenshot "$work/shot.png" >/dev/null 2>"$work/err" ||
  { cat "$work/err"; fail "the window did not open"; }
[ -s "$work/shot.png" ] || fail "no screenshot from the window"
echo "package: ok ($(basename "$deb"))"
