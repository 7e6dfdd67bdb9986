#!/bin/bash
# The installer under Wine, in a fresh prefix of its own:
#  1. silent install (/S): the program in the system folder is the packaged
#     one and starts (/s draws its picture, /c opens the settings dialog);
#     the uninstall registration holds the version and the commands; the
#     user's screen saver is left alone;
#  2. silent uninstall as Apps runs it (the uninstaller hands over to a copy
#     of itself): program, folder and registration gone; the user's screen
#     saver, another one, and the per-user settings file stay;
#  3. silent install with /ACTIVATE: Varominea becomes the screen saver;
#  4. synchronous silent uninstall (_?=, as scripts run it): the screen
#     saver setting naming Varominea goes; only the running uninstaller's own
#     file stays behind; the settings file stays.
#  5. silent install with /D= naming another program's folder: that
#     program's files, its own uninstall.exe among them, stay as they were
#     through the install and our uninstall.
#  6. silent upgrade while the saver runs from the system folder: the new
#     program is in place at once (exit code 0), the running one undisturbed,
#     and the copy set aside is gone after a restart; where it cannot be set
#     aside, exit code 3010 and the new program after a restart.
#   install_test.sh TOOLS_DIR DIST_DIR WORK_DIR
set -euo pipefail
tools="$1" dist="$2" work="$3"
fail() { echo "package_install: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

prefix="$work/wineprefix"
run() { "$tools/wine-run.sh" --prefix "$prefix" "$@"; }
# Also waits for the processes the program leaves running.
run_all() { VAROMINEA_WAIT_ALL=1 run "$@"; }
# Runs command lines as written, through a batch file: Wine would quote
# an argument with a blank, and the uninstaller's _?= must not be quoted.
run_batch() {
  printf '@echo off\r\n' >"$prefix/drive_c/step.cmd"
  printf '%s\r\n' "$@" >>"$prefix/drive_c/step.cmd"
  run cmd /c 'C:\step.cmd'
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

echo "--- 1. silent install"
run_all "${setup[0]}" /S
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
run_all "$uninstaller" /S
[[ ! -e "$installed" ]] || fail "the program is still in the system folder"
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

echo "--- 5. silent install into another program's folder"
other="$prefix/drive_c/Other"
mkdir -p "$other"
printf 'the other program\r\n' >"$other/uninstall.exe"
printf 'its data\r\n' >"$other/data.txt"
cp -a "$other" "$work/other"
run_all "${setup[0]}" /S '/D=C:\Other'
diff -r "$work/other" "$other" --exclude=Varominea >/dev/null ||
  fail "the install changed the other program's folder"
cmp "$installed" "$packaged" || fail "the installed program is not the packaged one"
snapshot
expect uninstall InstallLocation '"C:\\Other\\Varominea"' "install into another program's folder"
[[ -f "$other/Varominea/uninstall.exe" ]] || fail "no uninstaller in a folder of its own"
run_all 'C:\Other\Varominea\uninstall.exe' /S
[[ ! -e "$installed" ]] || fail "the program is still in the system folder"
[[ ! -e "$other/Varominea" ]] || fail "the uninstaller's folder is still there"
diff -r "$work/other" "$other" >/dev/null || fail "the uninstall changed the other program's folder"

echo "--- 6. silent upgrade while the saver runs"
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
# Where the running program cannot even be set aside (every name for it is
# taken), the new one replaces it at the next restart, and says so.
cat "$packaged" - <<<"an older build" >"$installed"
for n in 1 2 3 4 5 6 7 8 9; do mkdir "$system/Varominea.scr.old$n"; done
upgrade_rc=3010
starts_and /s saver_draws upgrade_while_running || fail "the upgrade needing a restart failed"
rmdir "$system"/Varominea.scr.old?
restart_leaves_the_new_program
echo "package_install: all cases passed"
