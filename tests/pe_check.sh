#!/bin/bash
# Checks the built program's PE header: a GUI program with ASLR and DEP (and
# high-entropy ASLR for 64 bits), that needs no MinGW DLL beside it; and its
# resources: the saver's name as string 1, the project's version, a DPI-aware
# manifest.
set -euo pipefail
objdump="$1" program="$2" pointer_size="$3" windres="$4" version="$5"
fail() { echo "pe_check: $*" >&2; exit 1; }

headers="$("$objdump" -p "$program")"
grep -q "Subsystem.*(Windows GUI)" <<<"$headers" || fail "not a GUI-subsystem program"
grep -q "DYNAMIC_BASE" <<<"$headers" || fail "ASLR (DYNAMIC_BASE) is off"
grep -q "NX_COMPAT" <<<"$headers" || fail "DEP (NX_COMPAT) is off"
if [[ "$pointer_size" == 8 ]]; then
  grep -q "HIGH_ENTROPY_VA" <<<"$headers" || fail "HIGH_ENTROPY_VA is off"
fi
if grep -iE "DLL Name: (libstdc\+\+|libgcc|libwinpthread)" <<<"$headers"; then
  fail "needs a MinGW runtime DLL"
fi

resources="$("$windres" -i "$program" -O rc)"
# String 1 is the name Windows lists the saver under: ヴァロミネア.
grep -q '1, L"\\x30f4\\x30a1\\x30ed\\x30df\\x30cd\\x30a2"' <<<"$resources" ||
  fail "string 1 is not the saver's name"
IFS=. read -r major minor patch <<<"$version"
grep -q "FILEVERSION $major, $minor, $patch, 0" <<<"$resources" || fail "file version is not $version"
grep -q "PRODUCTVERSION $major, $minor, $patch, 0" <<<"$resources" ||
  fail "product version is not $version"
for key in FileVersion ProductVersion; do
  grep -q "VALUE \"$key\", \"$version\"" <<<"$resources" || fail "$key is not $version"
done
grep -q "assemblyIdentity .* version=\"\"$version.0\"\"" <<<"$resources" ||
  fail "the manifest's version is not $version"
grep -q 'PerMonitorV2' <<<"$resources" || fail "the manifest does not declare per-monitor DPI awareness"
grep -q 'supportedOS Id=""{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}""' <<<"$resources" ||
  fail "the manifest does not declare Windows 10 and 11"
echo "pe_check: $(basename "$program") is a static GUI program with ASLR and DEP and its resources"
