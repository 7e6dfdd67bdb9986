#!/bin/bash
# Builds the Debian package of the Linux saver (X11 and Wayland): dist/varominea_<version>_<arch>.deb
# (what cmake --install lays out: the program and its link in the command
# path, its XScreenSaver settings page, the manual page, the desktop entry,
# the AppStream metadata, copyright, changelog), then checks it with lintian,
# which must report no errors, and its desktop entry and metadata with their
# validators, which must accept them without a remark.
#
#   bash tools/package-deb.sh [--out DIR] [--build DIR]
#
# --out defaults to dist/, --build to build/ (the package is built in
# build/deb).
#
# Compiled as Debian compiles packages (build type None, the flags of
# dpkg-buildflags with all hardening on), in build/deb, apart from the presets'
# build folders.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
bash "$here/setup.sh"

build="$root/build"
dist="$root/dist"
while [[ $# -gt 0 ]]; do
  case "$1" in
    --out) dist="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    *) echo "usage: $0 [--out DIR] [--build DIR]" >&2; exit 2 ;;
  esac
done
build="$build/deb"
# The same package from the same commit, wherever and whenever it is built:
# no build paths in the program (VAROMINEA_REPRODUCIBLE), and every time
# stamp in the archive the last commit's time; folders made for the package
# get the usual modes whatever the caller's umask.
umask 022
if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
fi
export SOURCE_DATE_EPOCH
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cppflags="$(dpkg-buildflags --get CPPFLAGS)"
cmake -S "$root" -B "$build" \
  -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DVAROMINEA_REPRODUCIBLE=ON -DBUILD_TESTING=OFF -DVAROMINEA_BENCH=OFF >/dev/null
cmake --build "$build" --target varominea -j"$(nproc)"

rm -rf "$build/cpack"
(cd "$build" && cpack --config "$build/CPackDebConfig.cmake" -B "$build/cpack" >/dev/null)
mkdir -p "$dist"
shopt -s nullglob
debs=("$build"/cpack/varominea_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "package-deb: expected one .deb, found ${#debs[@]}" >&2; exit 1; }
deb="$dist/$(basename "${debs[0]}")"
mv -f "${debs[0]}" "$deb"

echo "package-deb: $deb"
dpkg-deb --field "$deb"
echo "package-deb: lintian"
# lintian warns when it runs as root: root runs it as nobody instead, on a
# copy of the package in a folder of that user's own.
if [[ $(id -u) -eq 0 ]]; then
  lint_home="$(mktemp -d)"
  trap 'rm -rf "$lint_home"' EXIT
  cp "$deb" "$lint_home/"
  chown -R nobody:nogroup "$lint_home"
  setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$lint_home" TMPDIR="$lint_home" \
    lintian --fail-on error "$lint_home/${deb##*/}"
else
  lintian --fail-on error "$deb"
fi || { echo "package-deb: lintian reports errors" >&2; exit 1; }

# The desktop entry and the AppStream metadata as the package holds them.
echo "package-deb: desktop-file-validate, appstreamcli validate --no-net"
contents="$build/contents"
rm -rf "$contents"
dpkg-deb -x "$deb" "$contents"
for entry in "$contents"/usr/share/applications/screensavers/*.desktop; do
  remarks="$(desktop-file-validate "$entry" 2>&1)" && [[ -z "$remarks" ]] ||
    { echo "package-deb: ${entry#"$contents"}: $remarks" >&2; exit 1; }
done
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml ||
  { echo "package-deb: appstreamcli rejects the metadata" >&2; exit 1; }
