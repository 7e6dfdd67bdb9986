#!/bin/bash
# The release package, built twice: once from this tree and once from a copy
# of it elsewhere, later, in another time zone and with another umask. Both
# must be the same byte for byte. Then both once more, signed with a
# throwaway certificate (the same builds, so it takes seconds): the same
# again, and every program verifies against its CA, a changed byte does not;
# a wrong password, an unreadable or expired certificate and a failed verify
# each stop the release with one line and leave the earlier one untouched.
# Then the first one's contents: the files and their checksums, the zips'
# entries, stripped programs under 1 MiB that name no build folder, and a
# code address in each program, signed or not, that resolves to a source
# line through the symbols zip.
#   build_test.sh SOURCE_DIR WORK_DIR    (leaves the package in WORK_DIR/dist,
#                                         the signed one in WORK_DIR/signed, its
#                                         uninstaller in
#                                         WORK_DIR/signed-uninstaller.exe and
#                                         its CA in WORK_DIR/ca/ca.crt)
set -euo pipefail
export LC_ALL=C
src="$1" work="$2"
fail() { echo "package_build: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}"

"$src/tools/package.sh" --build "$work/build" --out "$work/dist" 2>"$work/package.err" ||
  { cat "$work/package.err" >&2; fail "package.sh failed"; }
# Built with the placeholder addresses, the release says so once.
[[ "$(grep -c 'example.org placeholder' "$work/package.err")" == 1 ]] ||
  fail "package.sh does not warn once of the placeholder addresses: $(tr '\n' '|' <"$work/package.err")"

# The copy holds what a commit of the tree would hold, changes included.
copy="$work/a-copy-of-the-tree-at-another-path"
mkdir -p "$copy"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [[ -e "$f" ]] && printf '%s\0' "$f"; done |
  xargs -0 cp --parents -t "$copy")
(umask 077 && cd "$copy" && TZ=Asia/Tokyo SOURCE_DATE_EPOCH="$epoch" bash tools/package.sh)
same_releases() {
  [[ "$(cd "$1" && find . | sort)" == "$(cd "$2" && find . | sort)" ]] ||
    fail "the two builds made different files in ${1##*/}"
  local f
  while IFS= read -r f; do
    cmp "$1/$f" "$2/$f" || fail "$f differs between the two builds of ${1##*/}"
  done < <(cd "$1" && find . -type f)
}
same_releases "$work/dist" "$copy/dist"

# A throwaway CA and a code-signing certificate it issued, in a PKCS#12 file
# with its password in a file; an expired one, and another CA.
ca="$work/ca"
mkdir -p "$ca"
certificate() { # NAME DAYS ISSUER
  openssl req -newkey rsa:2048 -nodes -keyout "$ca/$1.key" -subj "/CN=Varominea test $1" \
    -out "$ca/$1.csr" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >"$ca/leaf.ext"
  openssl x509 -req -in "$ca/$1.csr" -CA "$ca/$3.crt" -CAkey "$ca/$3.key" -set_serial "0x$RANDOM$RANDOM" \
    -days "$2" -extfile "$ca/leaf.ext" -out "$ca/$1.crt" 2>/dev/null
  openssl pkcs12 -export -inkey "$ca/$1.key" -in "$ca/$1.crt" -certfile "$ca/$3.crt" \
    -passout "file:$ca/password" -out "$ca/$1.p12"
}
for authority in ca other-ca; do
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$ca/$authority.key" -out "$ca/$authority.crt" \
    -days 30 -subj "/CN=Varominea test $authority" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
done
echo "a password for the test" >"$ca/password"
echo "not the password" >"$ca/wrong-password"
certificate signer 30 ca
certificate expired -1 ca

signed="$work/signed"
export VAROMINEA_SIGN_PKCS12="$ca/signer.p12" VAROMINEA_SIGN_PASSWORD_FILE="$ca/password" \
  VAROMINEA_SIGN_CA="$ca/ca.crt"
"$src/tools/package.sh" --build "$work/build" --out "$signed"
# The uninstaller the installer holds, kept before the refused runs below
# make the stage again.
cp "$work/build/package-stage/installer/uninstall.exe" "$work/signed-uninstaller.exe"
(umask 077 && cd "$copy" && TZ=Asia/Tokyo SOURCE_DATE_EPOCH="$epoch" bash tools/package.sh --out "$copy/signed")
same_releases "$signed" "$copy/signed"

dist="$work/dist"
version="$(<"$work/build/package-x64/varominea-version.txt")"
name="Varominea-$version"
deb="varominea_${version}_amd64.deb"
# The five Windows programs verify: both in the zip, the uninstaller that
# went into the installer (its copy from the stage), the installer. The
# unsigned release carries no signature; a changed byte breaks one.
unzip -q "$signed/$name-windows.zip" x64/Varominea.scr x86/Varominea.scr -d "$work/unpacked-signed"
for program in "$work/unpacked-signed"/x64/Varominea.scr "$work/unpacked-signed"/x86/Varominea.scr \
  "$work/signed-uninstaller.exe" "$signed/$name-setup.exe"; do
  osslsigncode verify -in "$program" -CAfile "$ca/ca.crt" >"$work/verify.txt" 2>&1 ||
    fail "${program#"$work"/} does not verify: $(grep -m1 -i 'error\|fail' "$work/verify.txt")"
done
! osslsigncode verify -in "$dist/$name-setup.exe" -CAfile "$ca/ca.crt" >/dev/null 2>&1 ||
  fail "the unsigned installer verifies"
# Signing leaves the debug information the programs link to as it was.
cmp "$dist/$name-symbols.zip" "$signed/$name-symbols.zip" || fail "signing changed the symbols"
cp "$signed/$name-setup.exe" "$work/changed.exe"
printf 'x' | dd of="$work/changed.exe" bs=1 seek=20000 conv=notrunc status=none
! osslsigncode verify -in "$work/changed.exe" -CAfile "$ca/ca.crt" >/dev/null 2>&1 ||
  fail "the installer with a changed byte verifies"

# What stops a signed release: one line naming the file, a non-zero exit,
# and the earlier release as it was.
before="$(cd "$signed" && find . -type f | sort | xargs -d '\n' sha256sum)"
refused() { # WHAT NAMED VARIABLE=VALUE...
  local what="$1" named="$2" rc=0
  shift 2
  env SOURCE_DATE_EPOCH="$epoch" "$@" "$src/tools/package.sh" --build "$work/build" --out "$signed" \
    >/dev/null 2>"$work/refused.txt" || rc=$?
  ((rc != 0)) || fail "$what: package.sh exits 0"
  [[ "$(wc -l <"$work/refused.txt")" == 1 && "$(<"$work/refused.txt")" == *"$named"* ]] ||
    fail "$what: package.sh says '$(tr '\n' '|' <"$work/refused.txt")', not one line naming $named"
  [[ "$(cd "$signed" && find . -type f | sort | xargs -d '\n' sha256sum)" == "$before" ]] ||
    fail "$what: the signed release in $signed changed"
  [[ ! -e "$work/build/package-out" ]] || fail "$what: package.sh left $work/build/package-out"
}
refused "a wrong password" "$ca/signer.p12" VAROMINEA_SIGN_PASSWORD_FILE="$ca/wrong-password"
refused "an unreadable certificate file" "$ca/missing.p12" VAROMINEA_SIGN_PKCS12="$ca/missing.p12"
refused "an expired certificate" "$ca/expired.p12" VAROMINEA_SIGN_PKCS12="$ca/expired.p12"
refused "a failed verify" "x64 Varominea.scr" VAROMINEA_SIGN_CA="$ca/other-ca.crt"
unset VAROMINEA_SIGN_PKCS12 VAROMINEA_SIGN_PASSWORD_FILE VAROMINEA_SIGN_CA

expected="$(printf '%s\n' SHA256SUMS "$name-setup.exe" "$name-site.zip" "$name-symbols.zip" \
  "$name-windows.zip" "$deb" winget)"
winget="$(printf 'winget/Varominea.Varominea%s.yaml\n' .installer .locale.en-US .locale.ja-JP "")"
for release in "$dist" "$signed"; do
  [[ "$(ls "$release")" == "$expected" ]] || fail "${release##*/} holds $(ls "$release" | tr '\n' ' ')"
  (cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match in ${release##*/}"
  [[ "$(awk '{print $2}' "$release/SHA256SUMS")" == "$(ls "$release" | grep -vx 'SHA256SUMS\|winget')"$'\n'"$winget" ]] ||
    fail "SHA256SUMS does not list every other file: $(awk '{print $2}' "$release/SHA256SUMS" | tr '\n' ' ')"
done

# The home page: the saver and its module, the pictures, and each download
# with the size and checksum of the file beside it.
site="$work/site"
unzip -q "$dist/$name-site.zip" -d "$site"
for f in index.html saver.html saver.js home.js style.css varominea.js images/settings-dialog.png \
  images/preview.png; do
  [[ -s "$site/$f" ]] || fail "the site zip lacks $f"
done
for f in "$name-setup.exe" "$name-windows.zip" "$name-symbols.zip" "$deb"; do
  grep -qF "$(sha256sum "$dist/$f" | cut -d' ' -f1)" "$site/index.html" ||
    fail "the home page lacks the SHA-256 of $f"
  grep -qF "($(stat -c %s "$dist/$f") bytes)" "$site/index.html" || fail "the home page lacks the size of $f"
done
# Built without a release address, the downloads are the files beside the
# page, and the page says they are not in its zip.
grep -qF '<a href="SHA256SUMS">' "$site/index.html" || fail "the home page does not link SHA256SUMS"
grep -qF "not inside this page's zip" "$site/index.html" ||
  fail "the home page does not say where its downloads are"
! grep -qE '(src="|<link [^>]*href=")(https?:)?//' "$site"/*.html || fail "a page loads something from another host"

# The Debian package: the Linux saver where XScreenSaver looks for its
# programs, and its settings page.
contents="$(dpkg-deb -c "$dist/$deb" | awk '{print $6}')"
for f in ./usr/libexec/xscreensaver/varominea ./usr/share/xscreensaver/config/varominea.xml \
  ./usr/share/doc/varominea/copyright; do
  grep -qx -- "$f" <<<"$contents" || fail "$deb lacks $f"
done
# The same program in the command path for Wayland idle daemons, and the
# Wayland client library it links among the dependencies the scan found.
grep -qx -- './usr/bin/varominea -> ../libexec/xscreensaver/varominea' \
  <<<"$(dpkg-deb -c "$dist/$deb" | awk '{print $6, $7, $8}')" ||
  fail "$deb lacks the link /usr/bin/varominea to the program"
depends="$(dpkg-deb --field "$dist/$deb" Depends)"
grep -q 'libwayland-client0' <<<"$depends" || fail "$deb does not depend on libwayland-client0: $depends"
grep -q 'libx11-6' <<<"$depends" || fail "$deb does not depend on libx11-6: $depends"
# cmake --install from the package's own build lays out the files the package
# holds, links with the same targets; only the documentation under
# usr/share/doc/ is the package's affair.
tree="$work/install-tree"
DESTDIR="$tree" cmake --install "$work/build/deb" >/dev/null
in_deb="$(dpkg-deb -c "$dist/$deb" | awk '$1 !~ /^d/ && $6 !~ "^./usr/share/doc/" {
  print ($7 == "->") ? $6 " -> " $8 : $6 }' | sort)"
in_tree="$(cd "$tree" && find . ! -type d ! -path './usr/share/doc/*' \
  \( -type l -printf '%p -> %l\n' -o -printf '%p\n' \) | sort)"
[[ "$in_deb" == "$in_tree" ]] ||
  fail "$deb and cmake --install differ:"$'\n'"$(diff <(echo "$in_deb") <(echo "$in_tree"))"

entries() { unzip -Z1 "$1" | tr '\n' ' '; }
[[ "$(entries "$dist/$name-windows.zip")" == \
  "LICENSE.txt README.txt x64/Varominea.scr x86/Varominea.scr " ]] ||
  fail "windows zip holds $(entries "$dist/$name-windows.zip")"
[[ "$(entries "$dist/$name-symbols.zip")" == "x64/Varominea.scr.debug x86/Varominea.scr.debug " ]] ||
  fail "symbols zip holds $(entries "$dist/$name-symbols.zip")"

# Unpacked together, as someone resolving a crash address would.
unpacked="$work/unpacked"
mkdir -p "$unpacked"
unzip -q "$dist/$name-windows.zip" -d "$unpacked"
unzip -q "$dist/$name-symbols.zip" -d "$unpacked"
cmp <(sed 's/$/\r/' "$src/LICENSE") "$unpacked/LICENSE.txt" || fail "LICENSE.txt is not the license"
grep -q "ヴァロミネア (Varominea) $version" "$unpacked/README.txt" || fail "README.txt lacks the version"
grep -qF '%LOCALAPPDATA%\ヴァロミネア\ヴァロミネア.ini' "$unpacked/README.txt" ||
  fail "README.txt does not say where the settings go"

size="$(stat -c %s "$unpacked/x64/Varominea.scr")"
((size < 1048576)) || fail "the x64 program has $size bytes"
declare -A triple=([x64]=x86_64-w64-mingw32 [x86]=i686-w64-mingw32)
declare -A format=([x64]=pei-x86-64 [x86]=pei-i386)
for program in "$unpacked"/{x64,x86}/Varominea.scr "$work/unpacked-signed"/{x64,x86}/Varominea.scr; do
  arch="${program%/Varominea.scr}"
  arch="${arch##*/}"
  tool="${triple[$arch]}"
  # The signed programs have the same symbols zip (see above).
  [[ -e "$program.debug" ]] || cp "$unpacked/$arch/Varominea.scr.debug" "$program.debug"
  "$tool-objdump" -f "$program" | grep -q "file format ${format[$arch]}" ||
    fail "$arch/Varominea.scr is not ${format[$arch]}"
  sections="$("$tool-objdump" -h "$program")"
  ! grep -q '\.debug_' <<<"$sections" || fail "$arch/Varominea.scr keeps debug information"
  grep -q '\.gnu_debuglink' <<<"$sections" || fail "$arch/Varominea.scr has no debug link"
  for folder in "$src" "$work" "$copy"; do
    ! grep -qaF "$folder" "$program" "$program.debug" || fail "${program#"$work"/} names the build folder $folder"
  done
  # The entry point's address, looked up in the stripped program: addr2line
  # follows the debug link (checksum included) to the symbols beside it.
  address="$("$tool-nm" "$program.debug" | awk '$2 == "T" && $3 ~ /^_?wWinMain(@16)?$/ {print $1}')"
  [[ -n "$address" ]] || fail "$arch: no wWinMain in the symbols"
  line="$("$tool-addr2line" -e "$program" "0x$address")"
  [[ "$line" =~ ^(\./)?[a-z_/]*winmain\.cpp:[0-9]+$ ]] ||
    fail "${program#"$work"/}: wWinMain at 0x$address resolves to '$line'"
done
echo "package_build: $name built twice the same; $(cut -c1-16 "$dist/SHA256SUMS" | tr '\n' ' ')"
