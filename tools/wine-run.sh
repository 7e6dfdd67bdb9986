#!/bin/bash
# Runs one Windows program under Wine on a private virtual X display.
#
#   wine-run.sh [--prefix DIR] PROGRAM [ARGS...]
#   wine-run.sh --native PROGRAM [ARGS...]
#
# With --native, PROGRAM is a Linux program run directly on the private
# display: no prefix, no Wine, and no turn to wait for.
# The Wine prefix (default: $WINEPREFIX, else ./build/wineprefix) is created
# and set up on first use. Runs that share a prefix take turns: each one ends
# every process of the prefix when it is done, so they must not overlap.
# Environment:
#   VAROMINEA_SCREEN    screen size of the virtual display (default 1024x768)
#   VAROMINEA_DPI       display density in dots per inch (default 96); any
#                       other value uses a prefix of its own, PREFIX-dpiN
#   VAROMINEA_FONT_REPLACEMENT  "none": a prefix of its own, PREFIX-nofontreplacement,
#                       without the mapping of the dialog's font to a Japanese one
#   VAROMINEA_DISPLAY   use this existing X display instead of a private one
#   VAROMINEA_MONITORS  run on a private X server with these monitors instead
#                       (WxH+X+Y,... the first one primary; see xorg-monitors.sh),
#                       in a prefix of its own, PREFIX-monitors
#   VAROMINEA_DISPLAY_FILE  the display in use is written to this file
#   VAROMINEA_WAIT_ALL  when set, waits for every process of the prefix to
#                       end, not only PROGRAM (an uninstaller, for example,
#                       hands over to a copy of itself and returns at once)
#   LANG                also chooses Wine's ANSI code page (ja_JP.UTF-8 -> 932)
set -euo pipefail

# Several monitors: the same run inside an X server that has them.
if [[ -n "${VAROMINEA_MONITORS:-}" && -z "${VAROMINEA_DISPLAY:-}" ]]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/xorg-monitors.sh" "$VAROMINEA_MONITORS" "${BASH_SOURCE[0]}" "$@"
fi

prefix="${WINEPREFIX:-$PWD/build/wineprefix}"
native=""
if [[ "${1:-}" == "--native" ]]; then
  native=1
  shift
elif [[ "${1:-}" == "--prefix" ]]; then
  prefix="$2"
  shift 2
fi
[[ $# -ge 1 ]] || { echo "usage: $0 [--prefix DIR | --native] PROGRAM [ARGS...]" >&2; exit 2; }
# A prefix holds its display density and font mapping, so each setting
# other than the default has a prefix of its own.
dpi="${VAROMINEA_DPI:-96}"
[[ "$dpi" =~ ^[0-9]+$ ]] || { echo "wine-run: VAROMINEA_DPI must be a number" >&2; exit 2; }
[[ "$dpi" == 96 ]] || prefix="$prefix-dpi$dpi"
if [[ "${VAROMINEA_FONT_REPLACEMENT:-}" == none ]]; then prefix="$prefix-nofontreplacement"; fi
# The system keeps what it knew of the monitors in the prefix.
if [[ -n "${VAROMINEA_MONITORS:-}" ]]; then prefix="$prefix-monitors"; fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
if [[ -z "$native" ]]; then
  mkdir -p "$(dirname "$prefix")"
  # One run at a time per prefix.
  exec 9>"$prefix.lock"
  flock 9
fi

xvfb_pid=""
cleanup() {
  [[ -n "$native" ]] || wineserver -k >/dev/null 2>&1 || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [[ -n "${VAROMINEA_DISPLAY:-}" ]]; then
  export DISPLAY="$VAROMINEA_DISPLAY"
else
  screen="${VAROMINEA_SCREEN:-1024x768}"
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -nolisten unix -listen local \
    3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  # Usually under a second; a busy machine may take several.
  for _ in $(seq 400); do
    [[ -s "$fdfile" ]] && break
    sleep 0.05
  done
  display_number="$(tr -d '\n' <"$fdfile")"
  rm -f "$fdfile"
  [[ -n "$display_number" ]] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$display_number"
fi

if [[ -n "${VAROMINEA_DISPLAY_FILE:-}" ]]; then echo "$DISPLAY" >"$VAROMINEA_DISPLAY_FILE"; fi

if [[ -n "$native" ]]; then
  set +e
  "$@"
  rc=$?
  set -e
  exit $rc
fi

# A prefix made by an older set-up is made again.
export VAROMINEA_PREFIX_VERSION=3
if [[ "$(cat "$prefix/.varominea-ready" 2>/dev/null)" != "$VAROMINEA_PREFIX_VERSION" ]]; then
  "$here/wine-prefix-setup.sh" "$prefix"
fi

set +e
wine "$@"
rc=$?
if [[ -n "${VAROMINEA_WAIT_ALL:-}" ]]; then wineserver -w; fi
set -e
exit $rc
