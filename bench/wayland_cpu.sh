#!/bin/bash
# The Wayland saver's CPU use at its default pace on a 1920 x 1080 headless
# sway output: user + system time from /proc/PID/stat over a stretch of
# seconds, as a share of one core, with the frame rate the saver reports.
#
#   bash bench/wayland_cpu.sh PROGRAM [SECONDS] [WIDTHxHEIGHT] [SAVER OPTIONS...]
#
# sway refuses root: run as root, the compositor and the saver run as the
# unprivileged user nobody, from a private folder.
set -euo pipefail

program="$(realpath "$1")"
seconds="${2:-20}"
size="${3:-1920x1080}"
shift $(($# < 3 ? $# : 3))

dir="$(mktemp -d /tmp/varominea-cpu-XXXXXX)"
mkdir "$dir/xdg"
printf 'xwayland disable\noutput HEADLESS-1 resolution %s position 0 0\n' "$size" >"$dir/config"
cp "$program" "$dir/varominea"
chmod 755 "$dir" && chmod 700 "$dir/xdg"
as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chown -R 65534:65534 "$dir"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
# The prefix for the compositor and its client; not a function, so that $!
# is the program's own process id.
run=("${as_user[@]}" env -u DISPLAY HOME="$dir" XDG_RUNTIME_DIR="$dir/xdg"
  SWAYSOCK="$dir/xdg/ipc.sock" WAYLAND_DISPLAY=wayland-1)
sway_pid=""
saver_pid=""
cleanup() {
  [[ -n "$saver_pid" ]] && kill "$saver_pid" 2>/dev/null || true
  [[ -n "$sway_pid" ]] && kill "$sway_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

"${run[@]}" WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=1 WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman sway -c "$dir/config" >"$dir/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 100); do [[ -S "$dir/xdg/wayland-1" ]] && break; sleep 0.1; done
sleep 1
"${run[@]}" "$dir/varominea" --fps "$@" 2>"$dir/saver.log" &
saver_pid=$!
sleep 3  # past the start: the field filled, the buffers made

[[ "$(cat "/proc/$saver_pid/comm")" == varominea ]] || { echo "no saver: $(cat "$dir/saver.log")" >&2; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$saver_pid/stat"; }
hz="$(getconf CLK_TCK)"
t0="$(ticks)"
s0="$(date +%s.%N)"
sleep "$seconds"
t1="$(ticks)"
s1="$(date +%s.%N)"
awk -v t="$((t1 - t0))" -v hz="$hz" -v s0="$s0" -v s1="$s1" -v size="$size" \
  'BEGIN { printf "varominea on a %s output: %.2f %% of one core over %.1f s\n", size, 100 * t / hz / (s1 - s0), s1 - s0 }'
tail -n 3 "$dir/saver.log"
