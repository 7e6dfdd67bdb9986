#!/bin/bash
# Signs one Windows program in place (Authenticode, SHA-256) and verifies the
# signature at once; tools/package.sh calls it for each program of a signed
# release, makensis for the uninstaller and the installer.
#
#   sign-pe.sh --check                       the settings below, before a build
#   sign-pe.sh [--as NAME] [--copy COPY] FILE
#
# NAME is what messages call FILE (makensis hands over temporary files);
# COPY, when given, receives the signed file as well.
#
# Environment:
#   VAROMINEA_SIGN_PKCS12         the certificate and its key (PKCS#12)
#   VAROMINEA_SIGN_PASSWORD_FILE  a file holding its password
#   VAROMINEA_SIGN_CA             CA certificates to verify against, where the
#                                 certificate is not from a public root
#   VAROMINEA_SIGN_TIMESTAMP_URL  an RFC 3161 timestamp server (only when given)
#   VAROMINEA_SIGN_LOG            where osslsigncode's output goes (default:
#                                 discarded)
#   SOURCE_DATE_EPOCH             the signing time, so that one commit's
#                                 signed programs are the same byte for byte
#
# Any failure: one line on stderr naming the file at fault, exit status 1,
# and FILE left as it was. Written for osslsigncode 2.5 (Debian 12) and 2.9.
set -euo pipefail
fail() {
  echo "package: $*" >&2
  exit 1
}

p12="${VAROMINEA_SIGN_PKCS12:-}"
password="${VAROMINEA_SIGN_PASSWORD_FILE:-}"
ca="${VAROMINEA_SIGN_CA:-}"
timestamp="${VAROMINEA_SIGN_TIMESTAMP_URL:-}"
log="${VAROMINEA_SIGN_LOG:-/dev/null}"
[[ -n "$p12" && -n "$password" ]] ||
  fail "signing needs both VAROMINEA_SIGN_PKCS12 and VAROMINEA_SIGN_PASSWORD_FILE"
# Reading one byte proves more than the permission bits, which root ignores.
readable() { [[ -f "$1" ]] && head -c 1 "$1" >/dev/null 2>&1; }
readable "$p12" || fail "cannot read the certificate file $p12 (VAROMINEA_SIGN_PKCS12)"
readable "$password" || fail "cannot read the password file $password (VAROMINEA_SIGN_PASSWORD_FILE)"
[[ -z "$ca" ]] || readable "$ca" || fail "cannot read the CA file $ca (VAROMINEA_SIGN_CA)"
[[ "${SOURCE_DATE_EPOCH:-}" =~ ^[0-9]+$ ]] || fail "SOURCE_DATE_EPOCH is not set: it is the signing time"

if [[ "${1:-}" == --check ]]; then
  # Opens the file with the password and reads the signing certificate, so
  # that a wrong password or an expired certificate stops the release before
  # it is built. Files exported by older systems use ciphers OpenSSL 3 keeps
  # in its legacy provider.
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  opened=0
  for legacy in "" -legacy; do
    if openssl pkcs12 ${legacy:+"$legacy"} -in "$p12" -passin "file:$password" -nokeys -clcerts \
      -out "$work/certificate.pem" >>"$log" 2>&1 && [[ -s "$work/certificate.pem" ]]; then
      opened=1
      break
    fi
  done
  ((opened)) ||
    fail "cannot open $p12 with the password in $password (a wrong password, or not a PKCS#12 file)"
  if ! openssl x509 -in "$work/certificate.pem" -noout -checkend 0 >/dev/null 2>&1; then
    fail "the certificate in $p12 has expired ($(openssl x509 -in "$work/certificate.pem" -noout -enddate))"
  fi
  exit 0
fi

name="" copy=""
while [[ $# -gt 1 ]]; do
  case "$1" in
    --as) name="$2"; shift 2 ;;
    --copy) copy="$2"; shift 2 ;;
    *) break ;;
  esac
done
[[ $# -eq 1 ]] || { echo "usage: $0 --check | [--as NAME] [--copy COPY] FILE" >&2; exit 2; }
file="$1"
name="${name:-$file}"
signed="$file.signed"
trap 'rm -f "$signed"' EXIT

sign=(sign -pkcs12 "$p12" -readpass "$password" -h sha256 -n Varominea -time "$SOURCE_DATE_EPOCH")
[[ -z "$timestamp" ]] || sign+=(-ts "$timestamp")
rm -f "$signed"
if ! osslsigncode "${sign[@]}" -in "$file" -out "$signed" >>"$log" 2>&1; then
  fail "cannot sign $name with $p12${timestamp:+ and the timestamp server $timestamp}"
fi

verify=(verify -in "$signed")
[[ -z "$ca" ]] || verify+=(-CAfile "$ca")
# From 2.8 on, verify fetches the revocation lists the certificate names,
# and fails where an offline build machine cannot reach them; 2.5 neither
# fetches them nor knows the options.
help="$(osslsigncode -h 2>&1 || true)"
for option in -ignore-cdp -ignore-crl; do
  [[ "$help" != *"$option"* ]] || verify+=("$option")
done
result="$(osslsigncode "${verify[@]}" 2>&1)" && verified=1 || verified=0
printf '%s\n' "$result" >>"$log"
if ((!verified)); then
  [[ "$result" != *"certificate has expired"* ]] || fail "the certificate in $p12 has expired: $name is not signed"
  fail "the signature of $name does not verify${ca:+ against $ca}"
fi
mv -f "$signed" "$file"
[[ -z "$copy" ]] || cp "$file" "$copy"
