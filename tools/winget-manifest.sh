#!/bin/bash
# Writes the winget manifest of a release (the multi-file form of schema
# 1.10.0: version, installer, the en-US default locale and ja-JP):
#
#   winget-manifest.sh DIR VERSION SETUP_EXE [RELEASE_URL]
#
# RELEASE_URL is the folder the release files are served from; without it
# the installer's address is a placeholder and the manifest says that it is
# not ready to submit. The release date is SOURCE_DATE_EPOCH's day (UTC).
#
# Every version, date, hash, address and text is a quoted string: a YAML
# reader takes 1.10 for a number and 2026-01-01 for a date.
set -euo pipefail
[[ $# -eq 3 || $# -eq 4 ]] || { echo "usage: $0 DIR VERSION SETUP_EXE [RELEASE_URL]" >&2; exit 2; }
dir="$1" version="$2" setup="$3" url="${4:-}"
[[ "${SOURCE_DATE_EPOCH:-}" =~ ^[0-9]+$ ]] || { echo "winget-manifest: SOURCE_DATE_EPOCH is not set" >&2; exit 1; }

id="Varominea.Varominea"
schema="1.10.0"
date="$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)"
sha256="$(sha256sum "$setup")"
sha256="${sha256%% *}"
installer_url="${url%/}/${setup##*/}"
note=""
if [[ -z "$url" ]]; then
  installer_url="https://varominea.example.org/${setup##*/}"
  note="# Not ready to submit: VAROMINEA_RELEASE_URL was not set when the release was
# built, so InstallerUrl names a placeholder host.
"
fi

# A YAML string in double quotes.
q() {
  local s="${1//\\/\\\\}"
  printf '"%s"' "${s//\"/\\\"}"
}
header() {
  printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n' "$1" "$schema"
  printf '%s' "$note"
  printf 'PackageIdentifier: %s\nPackageVersion: %s\n' "$(q "$id")" "$(q "$version")"
}
footer() { printf 'ManifestType: %s\nManifestVersion: %s\n' "$1" "$(q "$schema")"; }

rm -rf "$dir"
mkdir -p "$dir"
{
  header version
  printf 'DefaultLocale: en-US\n'
  footer version
} >"$dir/$id.yaml"

# The installer's switches and codes: /S installs silently, opens no window
# and leaves the user's screen saver alone; 3010 says the new program waits
# for a restart (winget maps no codes for nullsoft installers by itself).
# The registration under Apps, which winget matches installed programs by.
{
  header installer
  cat <<EOF
InstallerType: nullsoft
Scope: machine
InstallModes:
- interactive
- silent
- silentWithProgress
InstallerSwitches:
  Silent: $(q /S)
  SilentWithProgress: $(q /S)
ExpectedReturnCodes:
- InstallerReturnCode: 3010
  ReturnResponse: rebootRequiredToFinish
UpgradeBehavior: install
ProductCode: $(q Varominea)
AppsAndFeaturesEntries:
- DisplayName: $(q ヴァロミネア)
  Publisher: $(q "the Varominea authors")
  DisplayVersion: $(q "$version")
  ProductCode: $(q Varominea)
ReleaseDate: $(q "$date")
Installers:
- Architecture: x64
  InstallerUrl: $(q "$installer_url")
  InstallerSha256: $(q "${sha256^^}")
EOF
  footer installer
} >"$dir/$id.installer.yaml"

locale() { # LOCALE TYPE NAME SHORT DESCRIPTION
  header "$2"
  printf 'PackageLocale: %s\n' "$1"
  printf 'Publisher: %s\n' "$(q "the Varominea authors")"
  printf 'PackageName: %s\n' "$(q "$3")"
  printf 'License: %s\n' "$(q MIT)"
  printf 'ShortDescription: %s\n' "$(q "$4")"
  printf 'Description: %s\n' "$(q "$5")"
  [[ "$2" != defaultLocale ]] || printf 'Moniker: %s\nTags:\n- %s\n- %s\n' varominea screensaver palette-cycling
  footer "$2"
}
locale en-US defaultLocale Varominea \
  "A palette-cycling screen saver: nested squares or rings whose colours flow outward without end." \
  "Varominea shows a picture of nested squares or rings through a fixed palette of 256 colours; every frame moves each colour one step, so bands of colour travel outward from the middle without end. The installer puts Varominea.scr into the system folder, where the screen-saver settings list it; its settings dialog chooses the pattern and the size of the picture." \
  >"$dir/$id.locale.en-US.yaml"
locale ja-JP locale ヴァロミネア \
  "パレットの色が巡るスクリーン セーバー。入れ子の四角形や輪の色が、終わりなく外側へ流れていきます。" \
  "ヴァロミネアは、入れ子の四角形または輪の絵を 256 色の決まったパレットで表示します。コマごとに色が一段ずつ進み、色の帯が中心から外側へ終わりなく流れていきます。インストーラーは Varominea.scr をシステム フォルダーに入れ、スクリーン セーバーの設定に表示されるようにします。設定ダイアログでは模様と絵の大きさを選べます。" \
  >"$dir/$id.locale.ja-JP.yaml"
