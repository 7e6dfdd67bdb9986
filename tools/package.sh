#!/bin/bash
# Builds the Windows release package from this tree:
#
#   tools/package.sh [--out DIR] [--build DIR]
#
#   DIR/Varominea-<version>-setup.exe    the 64-bit installer (windows/installer/varominea.nsi)
#   DIR/Varominea-<version>-windows.zip  x64/ and x86/Varominea.scr, stripped;
#                                        README.txt for users; LICENSE.txt
#   DIR/Varominea-<version>-symbols.zip  the debug information split off both
#   DIR/varominea_<version>_amd64.deb    the Linux saver for Debian (tools/package-deb.sh)
#   DIR/Varominea-<version>-site.zip     the home page, listing these files
#   DIR/winget/                          the winget manifest of the installer
# and SHA256SUMS, last, covers every file of the release. The files are made
# in BUILD/package-out and moved into DIR only when all of them are there,
# so a failed run leaves DIR as it was.
#
# --out defaults to dist/, --build to build/ (the package builds use
# build/package-x64 and build/package-x86, apart from the test presets). The
# version is the CMake project version. Installs what is missing first.
#
# The files are the same, byte for byte, wherever and whenever they are
# built from the same sources: the programs are built with
# VAROMINEA_REPRODUCIBLE (no build paths, no link time), and every time
# stamp in the archives and the installer is SOURCE_DATE_EPOCH, by default
# the time of the last commit.
#
# Signing (docs/building.md): with VAROMINEA_SIGN_PKCS12 and
# VAROMINEA_SIGN_PASSWORD_FILE set, both programs, the uninstaller and the
# installer are signed (tools/sign-pe.sh, which lists the other settings),
# with the source date as the signing time. VAROMINEA_RELEASE_URL names the
# folder the release files are served from, for the winget manifest and the
# home page's download links. The addresses the dialog and the home page
# link to (VAROMINEA_HOME_PAGE, VAROMINEA_SOURCE_URL, VAROMINEA_README_URL)
# come from CMakeLists.txt; while one is still the example.org placeholder,
# the run ends with a warning.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/dist"
build="$root/build"
while [[ $# -gt 0 ]]; do
  case "$1" in
    --out) out="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    *) echo "usage: $0 [--out DIR] [--build DIR]" >&2; exit 2 ;;
  esac
done
mkdir -p "$out" "$build"
out="$(cd "$out" && pwd)"
build="$(cd "$build" && pwd)"
cd "$root"

bash tools/setup.sh

signing=""
if [[ -n "${VAROMINEA_SIGN_PKCS12:-}${VAROMINEA_SIGN_PASSWORD_FILE:-}" ]]; then
  signing=1
fi
release_url="${VAROMINEA_RELEASE_URL:-}"
if [[ -n "$release_url" && ! "$release_url" =~ ^https?://[^[:space:]]+$ ]]; then
  echo "package: VAROMINEA_RELEASE_URL is not an http(s) address: $release_url" >&2
  exit 1
fi

if [[ -z "${SOURCE_DATE_EPOCH:-}" ]]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null)" || {
    echo "package: not a git checkout; set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
  if [[ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]]; then
    echo "package: warning: the tree has changes that are not committed" >&2
  fi
fi
# Archive time stamps are local times: UTC keeps them independent of the
# machine. File modes in the zips come from the umask.
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
if [[ -n "$signing" ]]; then
  export VAROMINEA_SIGN_LOG="$build/package-sign.log"
  : >"$VAROMINEA_SIGN_LOG"
  bash tools/sign-pe.sh --check
fi
sign() { bash "$root/tools/sign-pe.sh" "$@"; }

# Everything is made here first; see the end.
made="$build/package-out"
rm -rf "$made"
mkdir -p "$made"
trap 'rm -rf "$made"' EXIT

declare -A triple=([x64]=x86_64-w64-mingw32 [x86]=i686-w64-mingw32)
for arch in x64 x86; do
  echo "=== package: Varominea.scr for $arch"
  cmake -S "$root" -B "$build/package-$arch" --toolchain "$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAROMINEA_REPRODUCIBLE=ON -DVAROMINEA_WERROR=ON \
    -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build/package-$arch" -j "$(nproc)" --target Varominea
done
version="$(<"$build/package-x64/varominea-version.txt")"
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "package: bad version '$version'" >&2; exit 1; }
name="Varominea-$version"

stage="$build/package-stage"
rm -rf "$stage"
mkdir -p "$stage/windows" "$stage/symbols"
for arch in x64 x86; do
  objcopy="${triple[$arch]}-objcopy"
  mkdir -p "$stage/windows/$arch" "$stage/symbols/$arch"
  debug="$stage/symbols/$arch/Varominea.scr.debug"
  # The debug information goes into its own file; the program keeps only
  # its name and checksum (.gnu_debuglink), so that a debugger finds it
  # when it lies beside the program.
  "$objcopy" --only-keep-debug "$build/package-$arch/Varominea.scr" "$debug"
  "$objcopy" --strip-all --add-gnu-debuglink="$debug" \
    "$build/package-$arch/Varominea.scr" "$stage/windows/$arch/Varominea.scr"
  # The signature goes after the sections; the debug link stays valid.
  [[ -z "$signing" ]] || sign --as "the $arch Varominea.scr" "$stage/windows/$arch/Varominea.scr"
done
# Texts for Windows users: CRLF, and a byte-order mark so that every editor
# reads the Japanese as UTF-8.
to_windows_text() { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"; }
to_windows_text windows/installer/readme.txt >"$stage/windows/README.txt"
sed 's/$/\r/' LICENSE >"$stage/windows/LICENSE.txt"
# The installer stores its page picture with the file's time stamp: staged,
# the picture gets the source date as well.
mkdir -p "$stage/installer"
cp windows/resources/installer.bmp "$stage/installer/"

find "$stage" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# Sorted entries, no directory entries, no extra fields (owner, Unix times).
make_zip() {
  (cd "$1" && find . -type f | sed 's|^\./||' | sort | zip -X -D -9 -q "$2" -@)
}
make_zip "$stage/windows" "$made/$name-windows.zip"
make_zip "$stage/symbols" "$made/$name-symbols.zip"

# Signed, the uninstaller is signed before makensis puts it into the
# installer (a copy stays in the stage for the package tests), then the
# installer itself.
nsis_signing=()
if [[ -n "$signing" ]]; then
  signer="bash \"$root/tools/sign-pe.sh\""
  nsis_signing=(
    "-DSIGN_UNINSTALLER=$signer --as \"the uninstaller\" --copy \"$stage/installer/uninstall.exe\""
    "-DSIGN_INSTALLER=$signer --as \"the installer\"")
fi
makensis -V2 -WX -DVERSION="$version" -DSCR="$stage/windows/x64/Varominea.scr" \
  -DLICENSE="$stage/windows/LICENSE.txt" -DICON="$root/windows/resources/varominea.ico" \
  -DPICTURE="$stage/installer/installer.bmp" -DOUTFILE="$made/$name-setup.exe" \
  "${nsis_signing[@]}" windows/installer/varominea.nsi

bash tools/winget-manifest.sh "$made/winget" "$version" "$made/$name-setup.exe" "$release_url"

echo "=== package: $made"
(cd "$made" && ls -l "$name"-* && sha256sum "$name"-*)
echo "stripped x64 Varominea.scr: $(stat -c %s "$stage/windows/x64/Varominea.scr") bytes"

bash tools/package-deb.sh --out "$made" --build "$build"

# The home page (the web build) lists the files above with their sizes and
# checksums; it goes into a zip of its own.
echo "=== package: the home page"
export NODE_PATH=/usr/share/nodejs
cmake -S "$root" -B "$build/package-web" \
  --toolchain /usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVAROMINEA_WERROR=ON -DBUILD_TESTING=OFF \
  -DVAROMINEA_RELEASE_DIR="$made" -DVAROMINEA_RELEASE_URL="$release_url" >/dev/null
cmake --build "$build/package-web" -j "$(nproc)" --target varominea_site
rm -rf "$stage/site"
cp -r "$build/package-web/site" "$stage/site"
find "$stage/site" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage/site" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
make_zip "$stage/site" "$made/$name-site.zip"

# The sums cover exactly this release's files: the folder holds nothing else.
(cd "$made" && find . -type f ! -name SHA256SUMS -printf '%P\n' | sort |
  xargs -d '\n' sha256sum >SHA256SUMS)

# All made: the release replaces its earlier files in the output folder.
for f in "$made"/*; do
  rm -rf "${out:?}/${f##*/}"
done
mv "$made"/* "$out"/
echo "=== package: SHA256SUMS"
cat "$out/SHA256SUMS"
if [[ -z "$release_url" ]]; then
  echo "package: warning: $out/winget is not ready to submit: VAROMINEA_RELEASE_URL is not set," \
    "so its InstallerUrl is a placeholder" >&2
fi
# The addresses the settings dialog (the programs' build) and the home page
# (the web build) were made with: one warning while any is the placeholder.
placeholders=()
for entry in package-x64:VAROMINEA_HOME_PAGE package-web:VAROMINEA_HOME_PAGE \
  package-web:VAROMINEA_SOURCE_URL package-web:VAROMINEA_README_URL; do
  value="$(sed -n "s/^${entry#*:}:[A-Z]*=//p" "$build/${entry%%:*}/CMakeCache.txt")"
  if [[ "$value" =~ ^https?://([^/]*\.)?example\.org(/|$) ]]; then
    [[ " ${placeholders[*]} " == *" ${entry#*:} "* ]] || placeholders+=("${entry#*:}")
  fi
done
if ((${#placeholders[@]})); then
  echo "package: warning: not ready to publish: the settings dialog's link and the home page" \
    "still name the example.org placeholder (${placeholders[*]} in CMakeLists.txt)" >&2
fi
