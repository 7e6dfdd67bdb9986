#!/bin/bash
# Installs what is missing, builds the Windows program and starts the saver
# under Wine for a few seconds. With no X display it runs on a virtual one.
# A screenshot of the running saver is saved as build/saver.png.
#   tools/run.sh [ARGS]        (default /s; /c opens the settings dialog)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash tools/setup.sh
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$(nproc)" --target Varominea
args=("${@:-/s}")
seconds="${VAROMINEA_RUN_SECONDS:-5}"
export WINEPREFIX="$PWD/build/run-wineprefix"
# On a desktop's own display, its window manager manages Wine's windows.
if [[ -n "${DISPLAY:-}" ]]; then export VAROMINEA_DISPLAY="$DISPLAY" VAROMINEA_WINE_MANAGED=Y; fi
# wine-run.sh starts a virtual display when VAROMINEA_DISPLAY is unset.
display_file="$(mktemp)"
VAROMINEA_DISPLAY_FILE="$display_file" \
  tools/wine-run.sh --prefix "$WINEPREFIX" build/windows-x64/Varominea.scr "${args[@]}" &
runner=$!
# The first run also sets up the Wine prefix (about 20 s).
for _ in $(seq 600); do
  [[ -s "$display_file" && -f "$WINEPREFIX/.varominea-ready" ]] && break
  sleep 0.1
done
sleep "$seconds"
display="$(cat "$display_file")"
rm -f "$display_file"
# The runner has already said why it could not start.
[[ -n "$display" ]] || { wait "$runner" 2>/dev/null; exit 1; }
if import -display "$display" -window root build/saver.png 2>/dev/null; then
  echo "run: screenshot of display $display saved as build/saver.png"
fi
WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
wait "$runner" 2>/dev/null || true
