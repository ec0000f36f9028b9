#!/usr/bin/env bash
# Installs the build into a temporary folder through DESTDIR, as a package
# would, and checks what landed: every file the install lists, the binary,
# the desktop entry, the icons and the metainfo, each valid by the desktop's
# own validators; then starts the installed binary for its version and, under
# Xvfb, for the icon and class of its window.
#
#   check-install.sh BUILD_DIR APP_ID VERSION "ICON_SIZES..."
#
# CMAKE names the cmake to install with (default: the one on the PATH).
set -uo pipefail

build=$1 id=$2 version=$3 sizes=$4
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A missing validator is a failure, never a silent pass.
for tool in desktop-file-validate appstreamcli xvfb-run xprop xwininfo; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps installs it)"
done
[ "$failures" -eq 0 ] || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
prefix=/usr/local

# Its own component keeps the user's build/install_manifest.txt untouched.
if ! DESTDIR="$root" "${CMAKE:-cmake}" --install "$build" --prefix "$prefix" --component korvane >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  fail "cmake --install failed"
  exit 1
fi

share="$root$prefix/share"
expected=(
  "$root$prefix/bin/korvane"
  "$share/applications/$id.desktop"
  "$share/metainfo/$id.metainfo.xml"
  "$share/icons/hicolor/scalable/apps/$id.svg"
)
for size in $sizes; do expected+=("$share/icons/hicolor/${size}x${size}/apps/$id.png"); done
for file in "${expected[@]}"; do
  [ -s "$file" ] || fail "not installed: ${file#"$root"}"
done
[ -x "$root$prefix/bin/korvane" ] || fail "the installed binary is not executable"

# Everything the install reports is there, and nothing lands outside the
# prefix. The manifest names the files without DESTDIR.
manifest="$build/install_manifest_korvane.txt"
[ -s "$manifest" ] || fail "no install manifest at $manifest"
listed=0
while IFS= read -r file || [ -n "$file" ]; do
  listed=$((listed + 1))
  [ -e "$root$file" ] || fail "listed but missing: $file"
  case "$file" in "$prefix"/*) ;; *) fail "installed outside the prefix: $file" ;; esac
done <"$manifest"
[ "$listed" -eq "${#expected[@]}" ] || fail "the install holds $listed files, expected ${#expected[@]}"

# Each PNG is a PNG of its own size (width and height from its header).
for size in $sizes; do
  png="$share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || continue
  header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  magic=${header:0:16} width=$((16#${header:32:8})) height=$((16#${header:40:8}))
  [ "$magic" = 89504e470d0a1a0a ] || fail "$size: not a PNG"
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$size: a ${width}x$height picture"
done

desktop="$share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli rejects the metainfo"

entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = korvane ] || fail "Exec is '$(entry Exec)', not the installed binary"
[ "$(entry Icon)" = "$id" ] || fail "Icon is '$(entry Icon)', not $id"
[ "$(entry Categories)" = "Utility;System;Filesystem;" ] || fail "Categories are '$(entry Categories)'"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo has no release $version"

# The version without a display: no window is made.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root$prefix/bin/korvane" --version 2>&1)
status=$?
[ "$status" -eq 0 ] || fail "korvane --version exits $status"
[ "$answer" = "Korvane $version" ] || fail "korvane --version prints '$answer'"

# The options, and a mistyped one, without a display: answered before anything
# is made, so the home stays empty.
mkdir -p "$work/bare-home"
bare() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME HOME="$work/bare-home" \
    QT_QPA_PLATFORM=xcb timeout 20 "$root$prefix/bin/korvane" "$@"
}
for flag in --help -h; do
  answer=$(bare "$flag" 2>&1)
  status=$?
  [ "$status" -eq 0 ] || fail "korvane $flag exits $status: $answer"
  grep -q -- "--screen SCREEN" <<<"$answer" || fail "korvane $flag does not list the options: $answer"
done
answer=$(bare --mode general --bogus 2>&1)
status=$?
[ "$status" -eq 2 ] || fail "korvane --bogus exits $status"
grep -q -- "unknown option '--bogus'" <<<"$answer" || fail "korvane --bogus says '$answer'"
answer=$(bare --folder "$root$prefix/bin/korvane" 2>&1)
status=$?
[ "$status" -eq 2 ] || fail "korvane --folder FILE exits $status"
grep -q "is a file, not a folder" <<<"$answer" || fail "korvane --folder FILE says '$answer'"
left=$(find "$work/bare-home" -mindepth 1)
[ -z "$left" ] || fail "answering the command line wrote into the home: $left"

# The installed binary's window on a bare X server: the class the entry names,
# and an icon with pictures in it.
cat >"$work/look.sh" <<'LOOK'
#!/usr/bin/env bash
HOME="$1" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data" QT_QPA_PLATFORM=xcb "$2" --mode general &
app=$!
window=""
for _ in $(seq 100); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Korvane": \("korvane" "Korvane"\)/ { print $1; exit }')
  [ -n "$window" ] && break
  # The class may differ; then any window named Korvane is looked at.
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Korvane": \(/ { print $1; exit }')
  [ -n "$window" ] && break
  sleep 0.2
done
if [ -n "$window" ]; then
  sleep 1
  xprop -id "$window" WM_CLASS
  xprop -id "$window" _NET_WM_ICON | grep -ao 'Icon ([0-9]* x [0-9]*)'
fi
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
LOOK
mkdir -p "$work/home"
seen=$(timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/look.sh" "$work/home" "$root$prefix/bin/korvane" 2>/dev/null)
wm_class=$(entry StartupWMClass)
grep -q "^WM_CLASS(STRING) = \"korvane\", \"$wm_class\"$" <<<"$seen" ||
  fail "the window's class does not match StartupWMClass=$wm_class: $(head -1 <<<"$seen")"
# Every picture of the application icon up to the largest the X connection
# passes on (128 pixels) reaches the window manager.
for size in $sizes; do
  [ "$size" -le 128 ] || continue
  grep -q "^Icon ($size x $size)$" <<<"$seen" || fail "the window's icon has no ${size}px picture"
done

[ "$failures" -eq 0 ] && echo "installed, valid and running: ${#expected[@]} files"
exit $((failures > 0))
