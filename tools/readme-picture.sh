#!/bin/bash
# Makes README.md's animated picture from the core: the saver's squares on a
# 384 x 288 screen, 256 frames (one whole turn of the colours, so that it
# loops without a seam) of 20 ms, as a lossless animated WebP. The same core
# gives the same bytes: the native test readme_picture checks the committed
# file against a fresh run.
#   tools/readme-picture.sh [FRAMES_PROGRAM [OUTPUT]]
# Without arguments it builds the native preset's readme_frames and writes
# docs/images/varominea.webp.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${1:-}"
output="${2:-$root/docs/images/varominea.webp}"
if [[ -z "$program" ]]; then
  (cd "$root" && cmake --preset native >/dev/null &&
    cmake --build --preset native --target readme_frames >/dev/null)
  program="$root/build/native/tools/readme_frames"
fi
command -v img2webp >/dev/null || { echo "readme-picture: img2webp missing (tools/setup.sh installs webp)" >&2; exit 1; }
frames="$(mktemp -d)"
trap 'rm -rf "$frames"' EXIT
"$program" "$frames" 256 384 288
# Lossless keeps every colour as it is; quality and method are named, so
# that a new default cannot change the bytes.
img2webp -loop 0 -lossless -m 4 -q 75 -d 20 "$frames"/frame*.ppm -o "$output" 2>/dev/null
echo "readme-picture: $output, $(stat -c %s "$output") bytes"
