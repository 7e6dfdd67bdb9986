#!/bin/bash
# Pictures of the real Windows program under Wine, for the home page and
# README.md: the settings dialog (/c) and the preview (/p, in the Wine
# desktop window as its host, on a virtual screen the size of a settings
# page's preview area). Run it after a change to either; the pictures are
# committed under docs/images/.
#   tools/site-pictures.sh [OUT_DIR]     (default docs/images)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out="${1:-docs/images}"
mkdir -p "$out"
bash tools/setup.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$(nproc)" --target Varominea
export WINEPREFIX="$PWD/build/pictures-wineprefix"
# Wine draws the caption buttons (the close box) with its own Marlett,
# which Debian ships in fonts-wine but this Wine does not load from there:
# the prefix gets a copy in its Fonts folder, where every start finds it.
# The first run sets the prefix up.
marlett=/usr/share/wine/fonts/marlett.ttf
[[ -f "$marlett" ]] || { echo "site-pictures: $marlett is missing (fonts-wine)" >&2; exit 1; }
tools/wine-run.sh --prefix "$WINEPREFIX" cmd /c exit
cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"

# Starts the program on a private display, waits `settle` seconds after the
# prefix is ready, saves the window `pick` names (or the root) and ends it.
shoot() {
  local file="$1" settle="$2" screen="$3" pick="$4"
  shift 4
  local display_file
  display_file="$(mktemp)"
  VAROMINEA_SCREEN="$screen" VAROMINEA_DISPLAY_FILE="$display_file" \
    tools/wine-run.sh --prefix "$WINEPREFIX" build/windows-x64/Varominea.scr "$@" &
  local runner=$!
  for _ in $(seq 900); do
    [[ -s "$display_file" && -f "$WINEPREFIX/.varominea-ready" ]] && break
    sleep 0.1
  done
  sleep "$settle"
  local display window=root
  display="$(cat "$display_file")"
  rm -f "$display_file"
  if [[ "$pick" != root ]]; then
    window="$(DISPLAY="$display" xdotool search --onlyvisible --name "$pick" | head -1)"
  fi
  # Colour type 2 (RGB), no time stamps: the same picture gives the same bytes.
  import -display "$display" -window "$window" -define png:exclude-chunks=date,time \
    -strip "PNG24:$file"
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  wait "$runner" 2>/dev/null || true
  echo "site-pictures: $file"
}

# The dialog is titled with the program's name.
shoot "$out/settings-dialog.png" 3 1024x768 "ヴァロミネア" /c
# Wine's desktop window has the handle 0x10020 (65568) in every prefix.
shoot "$out/preview.png" 3 320x240 root /p 65568
