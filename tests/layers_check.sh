#!/bin/bash
# Checks that every folder includes only what the layer table allows.
#
#   layers_check.sh TABLE ROOT                  every tracked C/C++ file of ROOT
#   layers_check.sh --expect FILE TABLE ROOT    every C/C++ file under ROOT; the
#                                               breaches found must be FILE's lines
#
# TABLE is a Markdown file holding, between the lines "<!-- layers begin -->"
# and "<!-- layers end -->", rows "| `folder/` | `a/`, `b/` |": the folders
# each folder may include besides itself ("any" for no limit, "nothing" for
# none). A file belongs to the longest folder of the table its path starts
# with; an `#include "x/..."` names the folder of x/... the same way. A
# breach is an include of a folder the row does not list, of a folder the
# table does not know, or a source file in a folder the table does not know.
set -euo pipefail

expect=""
if [[ "${1:-}" == "--expect" ]]; then
  expect="$2"
  shift 2
fi
table="$1" root="$2"

declare -A allowed=()
while IFS= read -r row; do
  folder="$(cut -d'|' -f2 <<<"$row" | tr -d ' `')"
  may="$(cut -d'|' -f3 <<<"$row")"
  folder="${folder%/}"
  if grep -qw any <<<"$may"; then
    allowed[$folder]="*"
  else
    allowed[$folder]=" $( (grep -o '`[a-z0-9_/]*`' <<<"$may" || true) | tr -d '`' | sed 's#/$##' |
      tr '\n' ' ')"
  fi
done < <(sed -n '/<!-- layers begin -->/,/<!-- layers end -->/p' "$table" | grep '^| `')
if [[ ${#allowed[@]} -eq 0 ]]; then
  echo "layers_check: no layer table in $table" >&2
  exit 2
fi

# The longest folder of the table that the path lies in (empty if none).
folder_of() {
  local path="$1" best="" f
  for f in "${!allowed[@]}"; do
    if [[ "$path" == "$f/"* && ${#f} -gt ${#best} ]]; then best="$f"; fi
  done
  printf '%s' "$best"
}

if [[ -n "$expect" ]]; then
  mapfile -t files < <(cd "$root" && find . -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \
    -o -name '*.rc' \) | sed 's#^\./##' | sort)
else
  mapfile -t files < <(git -C "$root" ls-files '*.cpp' '*.h' '*.c' '*.rc')
fi

breaches=()
for file in "${files[@]}"; do
  from="$(folder_of "$file")"
  if [[ -z "$from" ]]; then
    breaches+=("$file: its folder is not in the layer table")
    continue
  fi
  [[ "${allowed[$from]}" == "*" ]] && continue
  while IFS= read -r included; do
    [[ "$included" == */* ]] || continue  # beside the file itself
    to="$(folder_of "$included")"
    if [[ -z "$to" ]]; then
      breaches+=("$file: includes $included, of a folder not in the layer table")
    elif [[ "$to" != "$from" && "${allowed[$from]}" != *" $to "* ]]; then
      breaches+=("$file: $from/ includes $to/ ($included)")
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$root/$file")
done

if [[ -n "$expect" ]]; then
  if diff <(printf '%s\n' "${breaches[@]}" | sort) <(sort "$expect"); then
    exit 0
  fi
  echo "layers_check: the breaches found (<) differ from those expected (>)" >&2
  exit 1
fi
if [[ ${#breaches[@]} -gt 0 ]]; then
  printf 'layers_check: %s\n' "${breaches[@]}" >&2
  echo "layers_check: allowed includes are the table in $table" >&2
  exit 1
fi
echo "layers_check: ${#files[@]} files include only what the layer table allows"
