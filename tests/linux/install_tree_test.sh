#!/bin/bash
# The Linux saver as cmake --install lays it out (the .deb holds the same
# files, tests/package): exactly the files a distribution packages, the
# desktop entry and the AppStream metadata accepted silently by their
# validators, the metadata's newest release the project's version and its
# screenshot a picture the home page ships; then an install under a prefix
# with a space, whose desktop entry GLib loads (its TryExec and Exec name the
# installed program) and whose command-path link runs the program.
#   install_tree_test.sh BUILD_DIR WORK_DIR VERSION HOME_PAGE SOURCE_DIR
set -euo pipefail
export LC_ALL=C
build="$1" work="$2" version="$3" home="${4%/}/" src="$5"
fail() { echo "linux_install_tree: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

# The AppStream id is what catalogues know the program by: it changes only
# on purpose, with the old one listed as replaced.
id=org.example.varominea
DESTDIR="$work/staged" cmake --install "$build" --prefix /usr >/dev/null
listed="$(cd "$work/staged" && find . ! -type d | sort)"
expected="$(sort <<EOT
./usr/bin/varominea
./usr/libexec/xscreensaver/varominea
./usr/share/applications/screensavers/varominea.desktop
./usr/share/doc/varominea/README.Debian
./usr/share/doc/varominea/changelog.gz
./usr/share/doc/varominea/copyright
./usr/share/man/man1/varominea.1.gz
./usr/share/metainfo/$id.metainfo.xml
./usr/share/xscreensaver/config/varominea.xml
EOT
)"
[[ "$listed" == "$expected" ]] || fail "the install tree holds:"$'\n'"$listed"

share="$work/staged/usr/share"
desktop="$share/applications/screensavers/varominea.desktop"
out="$(desktop-file-validate "$desktop" 2>&1)" && [[ -z "$out" ]] ||
  fail "desktop-file-validate: $out"
grep -qx 'Exec=/usr/libexec/xscreensaver/varominea --root' "$desktop" ||
  fail "the desktop entry does not start the installed program: $(grep Exec "$desktop")"
metainfo="$share/metainfo/$id.metainfo.xml"
out="$(appstreamcli validate --no-net "$metainfo" 2>&1)" || fail "appstreamcli: $out"
newest="$(grep -o '<release version="[^"]*"' "$metainfo" | head -1)"
[[ "$newest" == "<release version=\"$version\"" ]] ||
  fail "the newest release in the metadata is $newest, the project's version $version"
grep -qF "<image type=\"source\">${home}images/preview.png</image>" "$metainfo" ||
  fail "the screenshot is not the home page's images/preview.png"
[[ -s "$src/docs/images/preview.png" ]] || fail "the home page has no images/preview.png"

prefix="$work/a prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY gio launch "$prefix/share/applications/screensavers/varominea.desktop" \
  2>"$work/launch.log" || fail "GLib does not load the desktop entry: $(<"$work/launch.log")"
"$prefix/bin/varominea" --version >/dev/null || fail "bin/varominea does not run the program"
echo "linux_install_tree: the files of the package; desktop entry and metadata valid"
