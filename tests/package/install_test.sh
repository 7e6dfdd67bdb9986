#!/bin/bash
# The installer under Wine, in a fresh prefix of its own:
#  0. the winget manifest, read with a YAML library (read_winget_manifest.py):
#     its hash is the installer's, and its switch, codes and registration
#     are held against what the installer does below;
#  1. silent install (/S): the program in the system folder is the packaged
#     one and starts (/s draws its picture, /c opens the settings dialog);
#     the uninstall registration holds the version and the commands; the
#     user's screen saver is left alone;
#  2. silent uninstall as Apps runs it (the uninstaller hands over to a copy
#     of itself): program, folder and registration gone, and the copies an
#     upgrade set aside, but not a user's files of similar names; the user's
#     screen saver, another one, and the per-user settings file stay;
#  3. silent install with /ACTIVATE: Varominea becomes the screen saver;
#  4. synchronous silent uninstall (_?=, as scripts run it): the screen
#     saver setting naming Varominea goes; only the running uninstaller's own
#     file stays behind; the settings file stays.
#  5. silent install with /D= naming another program's folder, over an
#     install in the default folder: that program's files, its own
#     uninstall.exe among them, stay as they were through the install and our
#     uninstall; the default folder goes with the move; the uninstaller run
#     from a copy elsewhere removes the registered folder, not its own;
#  6. /D= naming no folder to use (a drive that does not exist, a file, a
#     folder nothing can be made in): exit code 2 and nothing installed; a
#     drive's root gets a Varominea folder of its own;
#  7. silent upgrade while the saver runs from the system folder: the new
#     program is in place at once (exit code 0), the running one undisturbed,
#     and the copy set aside is gone after a restart; so with two installers
#     at once; where it cannot be set aside, exit code 3010 and the new
#     program after a restart; an uninstall while the saver runs says 3010
#     too, and an install before the restart stays after it;
#  8. given a signed release: its installer installs and uninstalls silently,
#     and the uninstaller it writes is the signed one and verifies.
#   install_test.sh TOOLS_DIR DIST_DIR WORK_DIR [SIGNED_DIST SIGNED_UNINSTALLER CA_FILE]
set -euo pipefail
tools="$1" dist="$2" work="$3" signed_dist="${4:-}" signed_uninstaller="${5:-}" ca="${6:-}"
fail() { echo "package_install: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

prefix="$work/wineprefix"
run() { "$tools/wine-run.sh" --prefix "$prefix" "$@"; }
# Also waits for the processes the program leaves running.
run_all() { VAROMINEA_WAIT_ALL=1 run "$@"; }
# Runs command lines as written, through a batch file: Wine would quote
# an argument with a blank, and the uninstaller's _?= must not be quoted.
write_batch() {
  printf '@echo off\r\n' >"$prefix/drive_c/step.cmd"
  printf '%s\r\n' "$@" >>"$prefix/drive_c/step.cmd"
}
run_batch() {
  write_batch "$@"
  run cmd /c 'C:\step.cmd'
}
# Runs a program in the prefix's running session (with the saver), on its
# display $1: a new session would be a restart of the system (see below).
in_session() {
  local display="$1"
  shift
  WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all DISPLAY="$display" wine "$@"
}
# What the system is to do at its next start (MoveFileEx's list).
pending_operations() {
  in_session "$1" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' || true
}

setup=("$dist"/Varominea-*-setup.exe)
[[ ${#setup[@]} == 1 && -f "${setup[0]}" ]] || fail "no single installer in $dist"
version="${setup[0]##*/Varominea-}"
version="${version%-setup.exe}"
unzip -q "$dist/Varominea-$version-windows.zip" x64/Varominea.scr -d "$work"
packaged="$work/x64/Varominea.scr"

system="$prefix/drive_c/windows/system32"
installed="$system/Varominea.scr"
folder="$prefix/drive_c/Program Files/Varominea"
uninstaller='C:\Program Files\Varominea\uninstall.exe'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varominea'
desktop_key='HKCU\Control Panel\Desktop'

# Exports both keys as text: $work/uninstall.txt and $work/desktop.txt
# (empty when the key does not exist).
snapshot() {
  rm -f "$prefix/drive_c/"{uninstall,desktop}.reg
  run_batch "reg export \"$uninstall_key\" C:\\uninstall.reg /y >nul 2>&1" \
    "reg export \"$desktop_key\" C:\\desktop.reg /y >nul 2>&1"
  for key in uninstall desktop; do
    : >"$work/$key.txt"
    if [[ -f "$prefix/drive_c/$key.reg" ]]; then
      iconv -f UTF-16 -t UTF-8 "$prefix/drive_c/$key.reg" | tr -d '\r' >"$work/$key.txt"
    fi
  done
}
# A value of the key itself (not of its subkeys) as exported: "text" or dword:hex.
value() {
  awk -v name="\"$2\"=" '/^\[/ && ++keys > 1 {exit}
                         index($0, name) == 1 {print substr($0, length(name) + 1)}' "$work/$1.txt"
}
expect() {
  local actual
  actual="$(value "$1" "$2")"
  [[ "$actual" == "$3" ]] || fail "$4: $2 is '$actual', not '$3'"
}

# Starts the installed program with the argument on a display of its own
# and waits up to 30 s until CHECK DISPLAY succeeds; then runs ACTION DISPLAY,
# if given, while the program runs, and ends it. Fails when CHECK or ACTION
# does.
starts_and() {
  local argument="$1" check="$2" action="${3:-}" display_file="$work/display" ok=1
  rm -f "$display_file"
  VAROMINEA_DISPLAY_FILE="$display_file" run 'C:\windows\system32\Varominea.scr' "$argument" &
  local runner=$! deadline=$((SECONDS + 30))
  while ((SECONDS < deadline)); do
    if [[ -s "$display_file" ]] && "$check" "$(<"$display_file")"; then
      ok=0
      [[ -z "$action" ]] || "$action" "$(<"$display_file")" || ok=1
      break
    fi
    sleep 0.2
  done
  WINEPREFIX="$prefix" wineserver -k
  wait "$runner" || true
  return $ok
}
saver_draws() {
  DISPLAY="$1" xdotool search --name '^ヴァロミネア_Main$' >/dev/null 2>&1 || return 1
  [[ "$(import -display "$1" -window root -depth 8 ppm:- 2>/dev/null |
    convert ppm:- -format '%[fx:mean > 0.1]' info:)" == 1 ]]
}
dialog_open() { DISPLAY="$1" xdotool search --name '^ヴァロミネアの設定$' >/dev/null 2>&1; }

echo "--- 0. the winget manifest"
manifest="$(/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/read_winget_manifest.py" "$dist/winget" \
  "$version" "$(sha256sum "${setup[0]}" | cut -d' ' -f1)")"
manifest_value() { sed -n "s/^$1=//p" <<<"$manifest"; }
[[ "$(manifest_value silent)" == /S && "$(manifest_value silent_progress)" == /S ]] ||
  fail "the manifest's silent switches are not the installer's /S: $manifest"

echo "--- 1. silent install"
# With the manifest's switch, as winget runs it: no window, no question.
run_all "${setup[0]}" "$(manifest_value silent)"
cmp "$installed" "$packaged" || fail "the installed program is not the packaged one"
[[ -f "$folder/uninstall.exe" ]] || fail "no uninstaller in Program Files"
snapshot
expect uninstall DisplayName '"ヴァロミネア"' "registration"
expect uninstall DisplayVersion "\"$version\"" "registration"
expect uninstall Publisher '"the Varominea authors"' "registration"
expect uninstall DisplayIcon '"C:\\windows\\system32\\Varominea.scr,0"' "registration"
expect uninstall UninstallString '"\"C:\\Program Files\\Varominea\\uninstall.exe\""' "registration"
expect uninstall QuietUninstallString '"\"C:\\Program Files\\Varominea\\uninstall.exe\" /S"' "registration"
expect uninstall NoModify dword:00000001 "registration"
expect uninstall NoRepair dword:00000001 "registration"
# winget finds the installed program by the manifest's registration.
for key in DisplayName:display_name Publisher:publisher DisplayVersion:display_version; do
  expect uninstall "${key%%:*}" "\"$(manifest_value "${key#*:}")\"" "the manifest's registration"
done
size_kb=$((16#$(value uninstall EstimatedSize | sed 's/^dword://')))
program_kb=$(($(stat -c %s "$installed") / 1024))
uninstaller_kb=$(($(stat -c %s "$folder/uninstall.exe") / 1024))
((size_kb >= program_kb + uninstaller_kb && size_kb <= program_kb + uninstaller_kb + 2)) ||
  fail "EstimatedSize is $size_kb KB for a $program_kb KB program and a $uninstaller_kb KB uninstaller"
expect desktop SCRNSAVE.EXE "" "silent install without /ACTIVATE"
starts_and /s saver_draws || fail "the installed program does not draw with /s"
starts_and /c dialog_open || fail "the installed program does not open its settings dialog with /c"

echo "--- 2. silent uninstall, another screen saver chosen, settings kept"
settings_dir="$prefix/drive_c/users/$(id -un)/AppData/Local/ヴァロミネア"
mkdir -p "$settings_dir"
printf '[Section]\r\nkept=\xe7\x84\xa1 1\r\n' >"$settings_dir/ヴァロミネア.ini"
cp "$settings_dir/ヴァロミネア.ini" "$work/settings.ini"
: >"$system/other.scr"
run reg add "$desktop_key" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\other.scr' /f >/dev/null
# A copy an upgrade set aside goes; a user's files of similar names stay.
: >"$installed.old3"
mine=(Varominea.scr.old Varominea.scr.older Varominea.scr.old-backup-of-user)
for f in "${mine[@]}"; do echo "the user's $f" >"$system/$f"; done
run_all "$uninstaller" /S
[[ ! -e "$installed" ]] || fail "the program is still in the system folder"
[[ ! -e "$installed.old3" ]] || fail "the copy an upgrade set aside is still there"
for f in "${mine[@]}"; do
  [[ "$(cat "$system/$f" 2>/dev/null)" == "the user's $f" ]] || fail "the uninstall removed the user's $f"
  rm "$system/$f"
done
[[ ! -e "$folder" ]] || fail "the uninstaller's folder is still there"
snapshot
[[ ! -s "$work/uninstall.txt" ]] || fail "the uninstall registration is still there"
expect desktop SCRNSAVE.EXE '"C:\\windows\\system32\\other.scr"' "uninstall with another saver chosen"
cmp "$settings_dir/ヴァロミネア.ini" "$work/settings.ini" || fail "the settings file changed"

echo "--- 3. silent install with /ACTIVATE"
run_all "${setup[0]}" /S /ACTIVATE
cmp "$installed" "$packaged" || fail "the installed program is not the packaged one"
snapshot
expect uninstall DisplayVersion "\"$version\"" "registration"
expect desktop SCRNSAVE.EXE '"C:\\windows\\system32\\Varominea.scr"' "silent install with /ACTIVATE"
expect desktop ScreenSaveActive '"1"' "silent install with /ACTIVATE"

echo "--- 4. synchronous silent uninstall, Varominea chosen"
run_batch "\"$uninstaller\" /S _?=C:\\Program Files\\Varominea"
[[ ! -e "$installed" ]] || fail "the program is still in the system folder"
[[ "$(ls "$folder")" == uninstall.exe ]] || fail "the folder holds $(ls "$folder" | tr '\n' ' ')"
rm -r "$folder"
snapshot
[[ ! -s "$work/uninstall.txt" ]] || fail "the uninstall registration is still there"
expect desktop SCRNSAVE.EXE "" "uninstall with Varominea chosen"
expect desktop ScreenSaveActive '"0"' "uninstall with Varominea chosen"
cmp "$settings_dir/ヴァロミネア.ini" "$work/settings.ini" || fail "the settings file changed"

echo "--- 5. silent install into another program's folder, moved from the default one"
other="$prefix/drive_c/Other"
mkdir -p "$other"
printf 'the other program\r\n' >"$other/uninstall.exe"
printf 'its data\r\n' >"$other/data.txt"
cp -a "$other" "$work/other"
run_all "${setup[0]}" /S
run_all "${setup[0]}" /S '/D=C:\Other'
diff -r "$work/other" "$other" --exclude=Varominea >/dev/null ||
  fail "the install changed the other program's folder"
cmp "$installed" "$packaged" || fail "the installed program is not the packaged one"
snapshot
expect uninstall InstallLocation '"C:\\Other\\Varominea"' "install into another program's folder"
[[ -f "$other/Varominea/uninstall.exe" ]] || fail "no uninstaller in a folder of its own"
[[ ! -e "$folder" ]] || fail "the folder of the earlier install is still there"
# A copy of the uninstaller in a user's folder removes the registered one.
users_folder="$prefix/drive_c/Mine"
mkdir -p "$users_folder"
cp "$other/Varominea/uninstall.exe" "$users_folder/"
run_all 'C:\Mine\uninstall.exe' /S
[[ ! -e "$installed" ]] || fail "the program is still in the system folder"
[[ ! -e "$other/Varominea" ]] || fail "the registered uninstaller's folder is still there"
[[ -f "$users_folder/uninstall.exe" ]] || fail "the uninstaller removed the folder it was copied to"
rm -r "$users_folder"
diff -r "$work/other" "$other" >/dev/null || fail "the uninstall changed the other program's folder"

echo "--- 6. /D= naming no folder to use"
# Installs in one session each, their exit codes written to a file. Wine's
# cmd at times fails to start its own start.exe (it says "File not found."
# and sets 9009, a code no installer gives): that launch is tried again.
cp "${setup[0]}" "$prefix/drive_c/Varominea-setup.exe"
echo "a file" >"$prefix/drive_c/a-file.txt"
installs_end_with() {
  local d install lines=() codes
  for d in "$@"; do
    install="start \"\" /wait C:\\Varominea-setup.exe /S /D=$d"
    lines+=("$install" "if %errorlevel%==9009 $install" "if %errorlevel%==9009 $install"
      "echo %errorlevel% >>C:\\codes.txt")
  done
  rm -f "$prefix/drive_c/codes.txt"
  run_batch "${lines[@]}" 'exit /b 0'
  codes="$(tr -d '\r ' <"$prefix/drive_c/codes.txt" | tr '\n' ' ')"
  [[ "$codes" == "$expected_codes" ]] || fail "the installs with /D=$* end with $codes, not $expected_codes"
}
# A drive that does not exist, a file, a folder where nothing can be made.
expected_codes="2 2 2 "
installs_end_with 'Q:\Folder' 'C:\a-file.txt' 'Z:\proc'
[[ ! -e "$installed" ]] || fail "a refused install put the program in the system folder"
snapshot
[[ ! -s "$work/uninstall.txt" ]] || fail "a refused install registered an uninstaller"
# A drive's root, with and without the backslash.
expected_codes="0 0 "
installs_end_with 'C:\' 'C:'
snapshot
expect uninstall InstallLocation '"C:\\Varominea"' "install into a drive's root"
[[ "$(ls "$prefix/drive_c/Varominea")" == uninstall.exe ]] || fail "no uninstaller in C:\\Varominea"
run_all 'C:\Varominea\uninstall.exe' /S
[[ ! -e "$installed" && ! -e "$prefix/drive_c/Varominea" ]] || fail "the uninstall left C:\\Varominea"

echo "--- 7. silent upgrade while the saver runs"
# Upgrades silently while the saver runs and expects the exit code
# $upgrade_rc, as Unix sees it (modulo 256: 3010 is 194); with 0, the new
# program must be in place at once. The running saver is never ended.
upgrade_while_running() {
  local rc=0
  WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all DISPLAY="$1" wine "${setup[0]}" /S || rc=$?
  ((rc == upgrade_rc % 256)) || { echo "package_install: the upgrade ends with $rc" >&2; return 1; }
  ((upgrade_rc != 0)) || cmp "$installed" "$packaged" ||
    { echo "package_install: exit code 0 with the old program in place" >&2; return 1; }
  saver_draws "$1" || { echo "package_install: the running saver was ended" >&2; return 1; }
}
# A new session of the prefix is a start of the system: what waited for it
# is done, and the packaged program is the only one left.
restart_leaves_the_new_program() {
  run cmd /c exit
  [[ "$(cd "$system" && ls -d Varominea*)" == Varominea.scr ]] ||
    fail "after a restart the system folder holds $(cd "$system" && ls -d Varominea* | tr '\n' ' ')"
  cmp "$installed" "$packaged" || fail "after a restart the program is not the packaged one"
}
run_all "${setup[0]}" /S
# An older build: the packaged program with other bytes at its end.
cat "$packaged" - <<<"an older build" >"$installed"
upgrade_rc=0
starts_and /s saver_draws upgrade_while_running || fail "the upgrade while the saver runs failed"
restart_leaves_the_new_program
# Installers at once take turns: each puts the program in place, and none
# leaves work for the restart. Three, to make an overlap likely.
installers_at_once() {
  local pids=() rcs="" pid rc
  for _ in 1 2 3; do
    in_session "$1" "${setup[0]}" /S &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    rc=0
    wait "$pid" || rc=$?
    rcs+="$rc "
  done
  [[ "$rcs" == "0 0 0 " ]] ||
    { echo "package_install: three installers at once end with $rcs" >&2; return 1; }
  cmp "$installed" "$packaged" || { echo "package_install: the old program is in place" >&2; return 1; }
  ! grep -qi 'Varominea\.scr\.new' <<<"$(pending_operations "$1")" ||
    { echo "package_install: a restart is to rename a .new program" >&2; return 1; }
  saver_draws "$1" || { echo "package_install: the running saver was ended" >&2; return 1; }
}
cat "$packaged" - <<<"an older build" >"$installed"
starts_and /s saver_draws installers_at_once || fail "three installers at once failed"
restart_leaves_the_new_program
# An uninstall while the saver runs leaves the program until a restart and
# says so; an install before that restart must survive it, and what the
# restart is to do to other files stays.
uninstall_and_install_again() {
  local rc=0
  in_session "$1" reg add 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations /t REG_MULTI_SZ /d '\??\C:\unrelated.txt\0!\??\C:\renamed.txt' \
    /f >/dev/null || return 1
  write_batch "\"$uninstaller\" /S _?=C:\\Program Files\\Varominea" 'exit /b %errorlevel%'
  in_session "$1" cmd /c 'C:\step.cmd' || rc=$?
  ((rc == 3010 % 256)) ||
    { echo "package_install: the uninstall while the saver runs ends with $rc" >&2; return 1; }
  rc=0
  in_session "$1" "${setup[0]}" /S || rc=$?
  ((rc == 0)) || { echo "package_install: the install after it ends with $rc" >&2; return 1; }
  cmp "$installed" "$packaged" || { echo "package_install: the program is not in place" >&2; return 1; }
}
echo "another program's file" >"$prefix/drive_c/unrelated.txt"
starts_and /s saver_draws uninstall_and_install_again ||
  fail "the uninstall and the install again while the saver runs failed"
restart_leaves_the_new_program
[[ -f "$prefix/drive_c/renamed.txt" && ! -e "$prefix/drive_c/unrelated.txt" ]] ||
  fail "the install dropped another file's rename at the restart"
snapshot
expect uninstall DisplayVersion "\"$version\"" "the install after an uninstall, after the restart"
# Where the running program cannot even be set aside (every name for it is
# taken), the new one replaces it at the next restart, and says so.
cat "$packaged" - <<<"an older build" >"$installed"
for n in 1 2 3 4 5 6 7 8 9; do mkdir "$system/Varominea.scr.old$n"; done
upgrade_rc=3010
starts_and /s saver_draws upgrade_while_running || fail "the upgrade needing a restart failed"
rmdir "$system"/Varominea.scr.old?
restart_leaves_the_new_program
# The code the installer gave is one the manifest maps.
[[ " $(manifest_value codes) " == *" 3010:rebootRequiredToFinish "* ]] ||
  fail "the manifest maps the codes '$(manifest_value codes)', not 3010 to rebootRequiredToFinish"

if [[ -n "$signed_dist" ]]; then
  echo "--- 8. the signed installer"
  run_all "$signed_dist/Varominea-$version-setup.exe" /S
  unzip -q -o "$signed_dist/Varominea-$version-windows.zip" x64/Varominea.scr -d "$work/signed"
  cmp "$installed" "$work/signed/x64/Varominea.scr" || fail "the installed program is not the signed one"
  cmp "$folder/uninstall.exe" "$signed_uninstaller" ||
    fail "the installer wrote another uninstaller than the signed one it holds"
  for f in "$installed" "$folder/uninstall.exe"; do
    osslsigncode verify -in "$f" -CAfile "$ca" >"$work/verify.txt" 2>&1 ||
      fail "${f##*/} as installed does not verify: $(tail -1 "$work/verify.txt")"
  done
  run_all "$uninstaller" /S
  [[ ! -e "$installed" && ! -e "$folder" ]] || fail "the signed uninstaller left the program or its folder"
  snapshot
  [[ ! -s "$work/uninstall.txt" ]] || fail "the signed uninstaller left the registration"
fi
echo "package_install: all cases passed"
