#!/bin/bash
# Runs a command on an X server with several monitors, which Xvfb cannot
# give: Xorg with the dummy video driver, on a display number of its own
# choice, ended again when the command has ended.
#
#   xorg-monitors.sh MONITORS COMMAND [ARGS...]
#
# MONITORS lists the monitors as WxH+X+Y, comma-separated, in the X
# server's coordinates (never negative); the first one is the primary.
# The command finds the display in VAROMINEA_DISPLAY (and DISPLAY). Xorg
# must run as root.
set -euo pipefail

[[ $# -ge 2 ]] || { echo "usage: $0 WxH+X+Y[,WxH+X+Y...] COMMAND [ARGS...]" >&2; exit 2; }
monitors="$1"
shift

work="$(mktemp -d)"
xorg_pid=""
cleanup() {
  if [[ -n "$xorg_pid" ]]; then
    kill "$xorg_pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$xorg_pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$xorg_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
CONF

# The server picks a free display number and reports it on descriptor 3.
setsid Xorg -displayfd 3 -config "$work/xorg.conf" -logfile "$work/xorg.log" -noreset \
  -nolisten tcp -novtswitch -sharevts 3>"$work/display" >/dev/null 2>&1 &
xorg_pid=$!
for _ in $(seq 400); do
  [[ -s "$work/display" ]] && break
  kill -0 "$xorg_pid" 2>/dev/null || break
  sleep 0.05
done
number="$(tr -d '\n' <"$work/display")"
if [[ -z "$number" ]]; then
  echo "xorg-monitors: Xorg did not start" >&2
  tail -20 "$work/xorg.log" >&2 || true
  exit 1
fi
export DISPLAY=":$number"
export VAROMINEA_DISPLAY="$DISPLAY"

# A mode of exactly each size (a modeline at 60 Hz), placed as asked.
arguments=()
width=0
height=0
index=0
IFS=',' read -ra list <<<"$monitors"
for monitor in "${list[@]}"; do
  if [[ ! "$monitor" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
    echo "xorg-monitors: not WxH+X+Y: $monitor" >&2
    exit 2
  fi
  w="${BASH_REMATCH[1]}" h="${BASH_REMATCH[2]}" x="${BASH_REMATCH[3]}" y="${BASH_REMATCH[4]}"
  mode="varominea${w}x${h}"
  if ! xrandr | grep -q "^   $mode "; then
    ht=$((w + 160)) vt=$((h + 30))
    clock="$(awk "BEGIN { printf \"%.2f\", $ht * $vt * 60 / 1000000 }")"
    xrandr --newmode "$mode" "$clock" "$w" $((w + 40)) $((w + 80)) "$ht" \
      "$h" $((h + 5)) $((h + 10)) "$vt" 2>/dev/null || true
  fi
  xrandr --addmode "DUMMY$index" "$mode"
  arguments+=(--output "DUMMY$index" --mode "$mode" --pos "${x}x${y}")
  [[ $index -eq 0 ]] && arguments+=(--primary)
  width=$((x + w > width ? x + w : width))
  height=$((y + h > height ? y + h : height))
  index=$((index + 1))
done
xrandr "${arguments[@]}"
xrandr --fb "${width}x${height}"
# A full query probes the outputs again: until then the server reports the
# added ones as disconnected to clients that only read its current state
# (as Wine does), and they see one monitor.
xrandr >/dev/null

set +e
"$@"
rc=$?
set -e
exit $rc
