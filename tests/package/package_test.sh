#!/usr/bin/env bash
# Builds the Debian package, installs it (dpkg -i as root; otherwise unpacked into a fresh prefix),
# validates the installed desktop entry and AppStream metadata, checks that the desktop takes a saved
# passport for the program's own file type and opens it with the program, finds the schema and the
# manual page, runs the committee's check without a display, starts the installed program under Xvfb
# through the window smoke test, and removes the package again.
set -euo pipefail

build_dir=$(realpath "$1")
smoke=$(realpath "$(dirname "$0")/../smoke/window_smoke.sh")
app_id=org.lumarinda.PassportEditor
work=$(mktemp -d)
installed=""
cleanup() {
    [ -n "$installed" ] && dpkg -r lumarinda-passport >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack"
}
deb=$(ls "$work"/out/lumarinda-passport_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "dependencies were not computed: $depends"
grep -q 'libhunspell' <<<"$depends" || fail "no spell-checking library among the dependencies: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
for dictionary in hunspell-ru hunspell-en-us; do
    grep -q "$dictionary" <<<"$recommends" || fail "$dictionary is not recommended: $recommends"
done

if [ "$(id -u)" = 0 ]; then
    dpkg -i "$deb" >/dev/null
    installed=yes
    root=""
else
    dpkg -x "$deb" "$work/root"
    root="$work/root"
fi
prefix="$root/usr"

for f in bin/lumarinda-passport share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$app_id.svg share/mime/packages/$app_id.xml \
    share/lumarinda-passport/passport.qdx.xsd share/man/man1/lumarinda-passport.1.gz; do
    [ -e "$prefix/$f" ] || fail "missing $prefix/$f"
done
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    [ -e "$png" ] || fail "missing $png"
    kind=$(file "$png")
    grep -q "$size x $size" <<<"$kind" || fail "$png is not ${size}x${size}: $kind"
done

desktop-file-validate "$prefix/share/applications/$app_id.desktop" | { grep -v ': hint: ' || true; } >"$work/desktop.log"
[ -s "$work/desktop.log" ] && { cat "$work/desktop.log"; fail "desktop entry"; }
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 || {
    cat "$work/appstream.log"
    fail "AppStream metadata"
}

# The file type: what a file manager asks when the user double-clicks a saved passport. The
# databases are rebuilt as the package's triggers do; the user's own settings play no part.
passport_type=application/x-lumarinda-passport
share="$prefix/share"
data_dirs="$share"
[ -n "$root" ] && data_dirs="$share:/usr/share"
update-mime-database "$share/mime"
update-desktop-database "$share/applications"
grep -q "lumarinda" "$share/mime/XMLnamespaces" || fail "the root element lumarinda is not in the MIME database"
sample="$work/Сказка о рыбке.qdx.xml"
printf '\xEF\xBB\xBF<?xml version="1.0" standalone="yes"?>\r\n<lumarinda><work title="Сказка" sz_id="13" stored="1450000000" version="2.2"/></lumarinda>\r\n' >"$sample"
mkdir -p "$work/config" "$work/data"
xdg() {
    env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID \
        XDG_DATA_DIRS="$data_dirs" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" xdg-mime "$@"
}
filetype=$(xdg query filetype "$sample")
[ "$filetype" = "$passport_type" ] || fail "xdg-mime query filetype gives \"$filetype\", not $passport_type"
handler=$(xdg query default "$passport_type")
[ "$handler" = "$app_id.desktop" ] || fail "xdg-mime query default gives \"$handler\", not $app_id.desktop"
# The manual page reads as one; man is used only where it is installed.
# Each output is taken whole before it is searched: grep -q leaving early would fail the pipeline.
page=$(zcat "$prefix/share/man/man1/lumarinda-passport.1.gz")
grep -q '^\.TH LUMARINDA-PASSPORT 1' <<<"$page" || fail "manual page"
if command -v man >/dev/null; then
    shown=$(man -l "$prefix/share/man/man1/lumarinda-passport.1.gz" 2>/dev/null)
    grep -q -- '--check' <<<"$shown" || fail "man cannot show the page"
fi
xmllint --noout "$prefix/share/lumarinda-passport/passport.qdx.xsd" || fail "the schema is not well-formed"

# The committee's check needs no display: the installed program, no DISPLAY, on the installed schema,
# which is no passport.
set +e
check=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/lumarinda-passport" --check \
    "$prefix/share/lumarinda-passport/passport.qdx.xsd" 2>&1)
status=$?
set -e
[ "$status" = 1 ] || fail "--check gave status $status: $check"
grep -q '^Проверено 1, исправных 0, с ошибками 1$' <<<"$check" || fail "--check said: $check"
version=$("$prefix/bin/lumarinda-passport" --version)
grep -qx 'lumarinda-passport [0-9.]*' <<<"$version" || fail "--version: $version"

"$smoke" "$prefix/bin/lumarinda-passport"

if [ -n "$installed" ]; then
    dpkg -r lumarinda-passport >/dev/null
    installed=""
    [ ! -e /usr/bin/lumarinda-passport ] || fail "the program stayed after removal"
    [ ! -e /usr/share/applications/$app_id.desktop ] || fail "the desktop entry stayed after removal"
    [ ! -e /usr/share/mime/packages/$app_id.xml ] || fail "the file type stayed after removal"
fi
echo "PASS: package installs, starts, closes and uninstalls cleanly"
