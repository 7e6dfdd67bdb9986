#!/bin/bash
# Creates and sets up a Wine prefix for running and testing Varominea.
# Needs DISPLAY; called by wine-run.sh on the prefix's first use.
set -euo pipefail
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEARCH=win64
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# No Mono or Gecko installer prompts: nothing here needs them.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
wineserver -w
reg() { wine reg add "$@" /f >/dev/null 2>&1; }
# Japanese captions need a Japanese font; the dialog asks for a face that is
# not on Linux, so map it (and the usual UI faces) to IPA's gothic, unless
# VAROMINEA_FONT_REPLACEMENT=none asks for a system without that face.
if [[ "${VAROMINEA_FONT_REPLACEMENT:-}" != none ]]; then
  for face in "ＭＳ Ｐゴシック" "ＭＳ ゴシック" "MS PGothic" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2"; do
    reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "IPAPGothic"
  done
fi
# The display density (VAROMINEA_DPI, default 96), as Windows keeps it.
dpi="${VAROMINEA_DPI:-96}"
if [[ "$dpi" != 96 ]]; then
  reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi"
  reg 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi"
fi
# With no window manager on the virtual display, Wine draws the frames and
# caption bars itself, as Windows would.
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
# With no window manager, Wine's managed windows stall every hide or destroy
# by about two seconds while Wine waits for a manager that never answers;
# unmanaged windows behave as on Windows and end without that stall.
# VAROMINEA_WINE_MANAGED=Y keeps them managed (for a desktop with a manager).
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "${VAROMINEA_WINE_MANAGED:-N}"
# Keyboard cues (focus rectangles) shown only once the keyboard is used, as
# Windows has it by default; Wine's own default shows them always.
reg 'HKCU\Control Panel\Desktop' /v UserPreferencesMask /t REG_BINARY /d 1000028012000000
# A crashing program must end, not wait in a debugger dialog.
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d "false"
wineserver -w
echo "${VAROMINEA_PREFIX_VERSION:-0}" >"$WINEPREFIX/.varominea-ready"
