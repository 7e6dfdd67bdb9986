#!/bin/bash
# The release package, built twice: once from this tree and once from a copy
# of it elsewhere, later, in another time zone and with another umask. Both
# must be the same byte for byte. Then the first one's contents: the three
# files and their checksums, the zips' entries, stripped programs under
# 1 MiB that name no build folder, and a code address in each program that
# resolves to a source line through the symbols zip.
#   build_test.sh SOURCE_DIR WORK_DIR    (leaves the package in WORK_DIR/dist)
set -euo pipefail
export LC_ALL=C
src="$1" work="$2"
fail() { echo "package_build: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}"

"$src/tools/package.sh" --build "$work/build" --out "$work/dist"

# The copy holds what a commit of the tree would hold, changes included.
copy="$work/a-copy-of-the-tree-at-another-path"
mkdir -p "$copy"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [[ -e "$f" ]] && printf '%s\0' "$f"; done |
  xargs -0 cp --parents -t "$copy")
(umask 077 && cd "$copy" && TZ=Asia/Tokyo SOURCE_DATE_EPOCH="$epoch" bash tools/package.sh)
[[ "$(ls "$work/dist")" == "$(ls "$copy/dist")" ]] || fail "the two builds made different files"
for f in "$work/dist"/*; do
  cmp "$f" "$copy/dist/${f##*/}" || fail "${f##*/} differs between the two builds"
done

dist="$work/dist"
version="$(<"$work/build/package-x64/varominea-version.txt")"
name="Varominea-$version"
deb="varominea_${version}_amd64.deb"
expected="$(printf '%s\n' SHA256SUMS "$name-setup.exe" "$name-site.zip" "$name-symbols.zip" \
  "$name-windows.zip" "$deb")"
[[ "$(ls "$dist")" == "$expected" ]] || fail "dist holds $(ls "$dist" | tr '\n' ' ')"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[[ "$(awk '{print $2}' "$dist/SHA256SUMS")" == "$(ls "$dist" | grep -vx SHA256SUMS)" ]] ||
  fail "SHA256SUMS does not list every other file: $(awk '{print $2}' "$dist/SHA256SUMS" | tr '\n' ' ')"

# The home page: the saver and its module, the pictures, and each download
# with the size and checksum of the file beside it.
site="$work/site"
unzip -q "$dist/$name-site.zip" -d "$site"
for f in index.html saver.html saver.js home.js style.css varominea.js images/settings-dialog.png \
  images/preview.png; do
  [[ -s "$site/$f" ]] || fail "the site zip lacks $f"
done
for f in "$name-setup.exe" "$name-windows.zip" "$name-symbols.zip" "$deb"; do
  grep -qF "$(sha256sum "$dist/$f" | cut -d' ' -f1)" "$site/index.html" ||
    fail "the home page lacks the SHA-256 of $f"
  grep -qF "($(stat -c %s "$dist/$f") bytes)" "$site/index.html" || fail "the home page lacks the size of $f"
done
! grep -qE '(src|href)="(https?:)?//' "$site"/*.html || fail "a page loads something from another host"

# The Debian package: the Linux saver where XScreenSaver looks for its
# programs, and its settings page.
contents="$(dpkg-deb -c "$dist/$deb" | awk '{print $6}')"
for f in ./usr/libexec/xscreensaver/varominea ./usr/share/xscreensaver/config/varominea.xml \
  ./usr/share/doc/varominea/copyright; do
  grep -qx -- "$f" <<<"$contents" || fail "$deb lacks $f"
done
# The same program in the command path for Wayland idle daemons, and the
# Wayland client library it links among the dependencies the scan found.
grep -qx -- './usr/bin/varominea -> ../libexec/xscreensaver/varominea' \
  <<<"$(dpkg-deb -c "$dist/$deb" | awk '{print $6, $7, $8}')" ||
  fail "$deb lacks the link /usr/bin/varominea to the program"
depends="$(dpkg-deb --field "$dist/$deb" Depends)"
grep -q 'libwayland-client0' <<<"$depends" || fail "$deb does not depend on libwayland-client0: $depends"
grep -q 'libx11-6' <<<"$depends" || fail "$deb does not depend on libx11-6: $depends"
# cmake --install from the package's own build lays out the files the package
# holds, links with the same targets; only the documentation under
# usr/share/doc/ is the package's affair.
tree="$work/install-tree"
DESTDIR="$tree" cmake --install "$work/build/deb" >/dev/null
in_deb="$(dpkg-deb -c "$dist/$deb" | awk '$1 !~ /^d/ && $6 !~ "^./usr/share/doc/" {
  print ($7 == "->") ? $6 " -> " $8 : $6 }' | sort)"
in_tree="$(cd "$tree" && find . ! -type d ! -path './usr/share/doc/*' \
  \( -type l -printf '%p -> %l\n' -o -printf '%p\n' \) | sort)"
[[ "$in_deb" == "$in_tree" ]] ||
  fail "$deb and cmake --install differ:"$'\n'"$(diff <(echo "$in_deb") <(echo "$in_tree"))"

entries() { unzip -Z1 "$1" | tr '\n' ' '; }
[[ "$(entries "$dist/$name-windows.zip")" == \
  "LICENSE.txt README.txt x64/Varominea.scr x86/Varominea.scr " ]] ||
  fail "windows zip holds $(entries "$dist/$name-windows.zip")"
[[ "$(entries "$dist/$name-symbols.zip")" == "x64/Varominea.scr.debug x86/Varominea.scr.debug " ]] ||
  fail "symbols zip holds $(entries "$dist/$name-symbols.zip")"

# Unpacked together, as someone resolving a crash address would.
unpacked="$work/unpacked"
mkdir -p "$unpacked"
unzip -q "$dist/$name-windows.zip" -d "$unpacked"
unzip -q "$dist/$name-symbols.zip" -d "$unpacked"
cmp <(sed 's/$/\r/' "$src/LICENSE") "$unpacked/LICENSE.txt" || fail "LICENSE.txt is not the license"
grep -q "ヴァロミネア (Varominea) $version" "$unpacked/README.txt" || fail "README.txt lacks the version"
grep -qF '%LOCALAPPDATA%\ヴァロミネア\ヴァロミネア.ini' "$unpacked/README.txt" ||
  fail "README.txt does not say where the settings go"

size="$(stat -c %s "$unpacked/x64/Varominea.scr")"
((size < 1048576)) || fail "the x64 program has $size bytes"
declare -A triple=([x64]=x86_64-w64-mingw32 [x86]=i686-w64-mingw32)
declare -A format=([x64]=pei-x86-64 [x86]=pei-i386)
for arch in x64 x86; do
  program="$unpacked/$arch/Varominea.scr"
  tool="${triple[$arch]}"
  "$tool-objdump" -f "$program" | grep -q "file format ${format[$arch]}" ||
    fail "$arch/Varominea.scr is not ${format[$arch]}"
  sections="$("$tool-objdump" -h "$program")"
  ! grep -q '\.debug_' <<<"$sections" || fail "$arch/Varominea.scr keeps debug information"
  grep -q '\.gnu_debuglink' <<<"$sections" || fail "$arch/Varominea.scr has no debug link"
  for folder in "$src" "$work" "$copy"; do
    ! grep -qaF "$folder" "$program" "$program.debug" || fail "$arch names the build folder $folder"
  done
  # The entry point's address, looked up in the stripped program: addr2line
  # follows the debug link (checksum included) to the symbols beside it.
  address="$("$tool-nm" "$program.debug" | awk '$2 == "T" && $3 ~ /^_?wWinMain(@16)?$/ {print $1}')"
  [[ -n "$address" ]] || fail "$arch: no wWinMain in the symbols"
  line="$("$tool-addr2line" -e "$program" "0x$address")"
  [[ "$line" =~ ^(\./)?[a-z_/]*winmain\.cpp:[0-9]+$ ]] ||
    fail "$arch: wWinMain at 0x$address resolves to '$line'"
done
echo "package_build: $name built twice the same; $(cut -c1-16 "$dist/SHA256SUMS" | tr '\n' ' ')"
