#!/bin/bash
# Installs what building, running and testing Varominea needs on Debian 12,
# skipping what is already there. Runs apt-get as root (directly or through
# sudo) only when a package is missing.
set -euo pipefail

packages=(
  cmake make g++ git
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 fonts-wine xvfb xdotool x11-utils imagemagick
  locales fonts-ipafont-gothic
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  libjpeg62-turbo-dev
  libx11-dev libxext-dev xscreensaver xscreensaver-data lintian dpkg-dev file
  appstream desktop-file-utils libglib2.0-bin
  nsis zip unzip osslsigncode openssl python3-yaml
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libxrender-dev pkg-config libwayland-dev wayland-protocols sway swayidle grim wtype weston
  emscripten chromium webp
)

# A name an installed package provides counts as installed: a Node.js
# package from outside Debian provides (and conflicts with) npm.
provided=" $(dpkg-query -W -f='${db:Status-Abbrev} ${Provides}\n' |
  awk '$1 == "ii" && NF > 1 {$1 = ""; print}' | tr ',' '\n' | sed 's/([^)]*)//g' | tr -s ' \n' ' ') "
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    [[ "$provided" == *" $p "* ]] || missing+=("$p")
done

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  as_root apt-get -o DPkg::Lock::Timeout=900 update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    "${missing[@]}" >/dev/null
fi

# The Japanese locale gives Wine the Shift-JIS ANSI code page in the tests
# that check the settings file against the system's own profile functions.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  as_root sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
