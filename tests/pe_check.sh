#!/bin/bash
# Checks the built program's PE header: a GUI program with ASLR and DEP (and
# high-entropy ASLR for 64 bits), that needs no MinGW DLL beside it.
set -euo pipefail
objdump="$1" program="$2" pointer_size="$3"
headers="$("$objdump" -p "$program")"
fail() { echo "pe_check: $*" >&2; exit 1; }
grep -q "Subsystem.*(Windows GUI)" <<<"$headers" || fail "not a GUI-subsystem program"
grep -q "DYNAMIC_BASE" <<<"$headers" || fail "ASLR (DYNAMIC_BASE) is off"
grep -q "NX_COMPAT" <<<"$headers" || fail "DEP (NX_COMPAT) is off"
if [[ "$pointer_size" == 8 ]]; then
  grep -q "HIGH_ENTROPY_VA" <<<"$headers" || fail "HIGH_ENTROPY_VA is off"
fi
if grep -iE "DLL Name: (libstdc\+\+|libgcc|libwinpthread)" <<<"$headers"; then
  fail "needs a MinGW runtime DLL"
fi
echo "pe_check: $(basename "$program") is a static GUI program with ASLR and DEP"
