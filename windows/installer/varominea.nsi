Target amd64-unicode
; The Windows installer of Varominea, built by tools/package.sh:
;   makensis -DVERSION=1.1.0 -DSCR=<stripped x64 Varominea.scr>
;            -DLICENSE=<LICENSE.txt> -DICON=<varominea.ico>
;            -DPICTURE=<installer.bmp> -DOUTFILE=<setup.exe>
;            [-DSIGN_UNINSTALLER=<command> -DSIGN_INSTALLER=<command>]
;            windows/installer/varominea.nsi
; where each command signs the file named after it in place (tools/sign-pe.sh).
; A 64-bit installer: it sees the real system folder and the 64-bit registry,
; with no redirection. 32-bit Windows refuses to start it; the portable zip
; carries the 32-bit program for those systems.
;
; Installs Varominea.scr into the system folder, where the screen-saver
; settings look for savers, and an uninstaller into
; %ProgramFiles%\Varominea; registers the uninstaller under Apps. Optionally
; makes Varominea the installing user's screen saver: always when run
; interactively with the option left on, and when silent (/S) only with
; /ACTIVATE.
;
; /D=FOLDER puts the uninstaller into FOLDER\Varominea (FOLDER itself when
; its name is Varominea), so that it never replaces another program's file;
; a drive (/D=D: or /D=D:\) gets D:\Varominea. A /D= naming no folder that
; can be used (a drive that does not exist, a folder where the uninstaller
; cannot be written) ends the install before anything is installed, with
; exit code 2: without its uninstaller the program could not be removed.
; A running copy of the program does not keep the old one in place: it is
; moved aside and the new one written. Where even that fails, the new one
; replaces it at the next restart: silent installs then end with 3010 (a
; restart is needed), interactive ones offer the restart on the last page.
; An install also takes back what an earlier uninstall or upgrade left for the
; next restart to do to the files it writes. Installers and uninstallers take
; turns, so two at once cannot undo each other's steps.
;
; This file is UTF-8 with a byte-order mark: it holds Japanese texts.

!macro REQUIRE NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: build with tools/package.sh"
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE SCR
!insertmacro REQUIRE LICENSE
!insertmacro REQUIRE ICON
!insertmacro REQUIRE PICTURE
!insertmacro REQUIRE OUTFILE

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

; The product's name in its own language; the English pages name it in
; Latin letters, which every system can draw.
!define PRODUCT "ヴァロミネア"
!define PRODUCT_LATIN "Varominea"
!define PUBLISHER "the Varominea authors"
!define SCR_NAME "Varominea.scr"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varominea"
!define DESKTOP_KEY "Control Panel\Desktop"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3
; MoveFileEx: the file goes when the system next starts.
!define MOVEFILE_DELAY_UNTIL_REBOOT 4
; The names a running program is set aside under: ${SCR_NAME}.old1 to .oldN.
!define OLD_COPIES 9
; Where the system keeps what it does at the next start (MoveFileEx's list).
!define SESSION_MANAGER_KEY "SYSTEM\CurrentControlSet\Control\Session Manager"
!define PENDING_VALUE "PendingFileRenameOperations"
!define HKLM_HANDLE 0x80000002
!define KEY_QUERY_AND_SET_VALUE 0x0003
!define REG_MULTI_SZ 7
; Installers and uninstallers of every session take turns through this
; mutex; one that waits this long for its turn gives up.
!define SETUP_MUTEX "Global\Varominea.Setup"
!define SETUP_WAIT_MS 120000
!define WAIT_TIMEOUT 0x102

; The uninstaller is signed before it goes into the installer, so the one
; the installer writes is signed too; then the installer itself.
!ifdef SIGN_UNINSTALLER
  !uninstfinalize '${SIGN_UNINSTALLER} "%1"' = 0
!endif
!ifdef SIGN_INSTALLER
  !finalize '${SIGN_INSTALLER} "%1"' = 0
!endif

Name "$(ProductName) ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Varominea"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
BrandingText "$(ProductName) ${VERSION}"
; Installed files keep their time stamps (package.sh sets them to the source
; date), so the installer is the same from build to build.
SetDateSave on

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenSettingsText)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings

; The welcome page also says what a viewer sensitive to flashing light should
; know before running the saver.
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The texts follow the system's language; English, the first, is the one for
; every language other than Japanese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString ProductName ${LANG_ENGLISH} "${PRODUCT_LATIN}"
LangString ProductName ${LANG_JAPANESE} "${PRODUCT}"
LangString ProgramSectionText ${LANG_ENGLISH} "Screen saver ${PRODUCT_LATIN}"
LangString ProgramSectionText ${LANG_JAPANESE} "スクリーン セーバー「${PRODUCT}」"
LangString ActivateSectionText ${LANG_ENGLISH} "Use it as my screen saver"
LangString ActivateSectionText ${LANG_JAPANESE} "スクリーン セーバーとして使う"
LangString OpenSettingsText ${LANG_ENGLISH} "Open the screen saver settings"
LangString OpenSettingsText ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"
LangString WelcomeText ${LANG_ENGLISH} "Setup will install $(^NameDA) on this computer.$\r$\n$\r$\nPhotosensitivity: the colours change quickly over the whole screen. On a fast machine the saver shows more than three light-dark changes a second. Turning off the animation effects (Settings > Accessibility > Visual effects > Animation effects) slows it to one step per display refresh.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_JAPANESE} "$(^NameDA) をこのコンピューターにインストールします。$\r$\n$\r$\n光過敏性について：色が画面全体ですばやく変わります。速いコンピューターでは、明暗の変化が 1 秒に 3 回を超えます。アニメーション効果をオフにすると (設定 > アクセシビリティ > 視覚効果 > アニメーション効果)、画面の更新 1 回につき 1 ステップに遅くなります。$\r$\n$\r$\n$_CLICK"
LangString RefusedFolderText ${LANG_ENGLISH} "Nothing installed: /D=$RefusedFolder names no folder that can be used."
LangString RefusedFolderText ${LANG_JAPANESE} "インストールしませんでした。/D=$RefusedFolder は使えるフォルダーではありません。"
LangString NoUninstallerText ${LANG_ENGLISH} "Nothing installed: the uninstaller cannot be written to $INSTDIR."
LangString NoUninstallerText ${LANG_JAPANESE} "インストールしませんでした。アンインストーラーを $INSTDIR に書き込めません。"
LangString BusyText ${LANG_ENGLISH} "Another setup of ${PRODUCT_LATIN} is still running."
LangString BusyText ${LANG_JAPANESE} "${PRODUCT} の別のセットアップがまだ動いています。"

; The folder /D= asked for when it cannot be used; empty otherwise.
Var RefusedFolder

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
!macro VERSION_KEYS LANG NAME DESCRIPTION
  VIAddVersionKey /LANG=${LANG} "ProductName" "${NAME}"
  VIAddVersionKey /LANG=${LANG} "CompanyName" "${PUBLISHER}"
  VIAddVersionKey /LANG=${LANG} "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"
  VIAddVersionKey /LANG=${LANG} "FileDescription" "${DESCRIPTION}"
  VIAddVersionKey /LANG=${LANG} "FileVersion" "${VERSION}"
  VIAddVersionKey /LANG=${LANG} "ProductVersion" "${VERSION}"
!macroend
!insertmacro VERSION_KEYS ${LANG_ENGLISH} "${PRODUCT_LATIN}" "${PRODUCT_LATIN} setup"
!insertmacro VERSION_KEYS ${LANG_JAPANESE} "${PRODUCT}" "${PRODUCT} セットアップ"

Section "$(ProgramSectionText)" ProgramSection
  SectionIn RO
  Call TakeSetupTurn
  ${If} $RefusedFolder != ""
    Abort "$(RefusedFolderText)"
  ${EndIf}
  ; The uninstaller first: where it cannot be written, nothing is installed,
  ; as Apps could not remove it.
  ClearErrors
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    Abort "$(NoUninstallerText)"
  ${EndIf}
  Call ForgetPendingOperations
  Call LeavePreviousFolder
  ; The screen-saver settings list the .scr files of the system folder.
  SetOutPath "$SYSDIR"
  File "/oname=${SCR_NAME}.new" "${SCR}"
  Call PutProgramInPlace

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SCR_NAME},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Kilobytes: the program and the uninstaller.
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=${SCR_NAME} /S=0K /G=0" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(ActivateSectionText)" ActivateSection
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCR_NAME}"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tells the system and the running programs that the setting changed.
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
SectionEnd

; Replaces the program in the system folder with the new copy beside it
; (${SCR_NAME}.new). A running copy (the saver, a preview or the settings
; dialog, of any user) can be neither overwritten nor deleted, but it can be
; renamed: it goes aside as ${SCR_NAME}.oldN, a name the screen-saver list
; ignores, runs on from there and is deleted at the next restart, and the new
; copy takes its place at once. Only where that fails too does the new copy
; wait for the next restart, which sets the restart flag.
Function PutProgramInPlace
  StrCpy $0 "$SYSDIR\${SCR_NAME}"
  Delete $0
  ${If} ${FileExists} $0
    ; One name after another: a copy set aside by an earlier upgrade may
    ; still run.
    ${For} $1 1 ${OLD_COPIES}
      StrCpy $2 "$0.old$1"
      Delete $2
      ${IfNot} ${FileExists} $2
        ClearErrors
        Rename $0 $2
        ${IfNot} ${Errors}
          System::Call 'kernel32::MoveFileExW(w r2, p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
          ${ExitFor}
        ${EndIf}
      ${EndIf}
    ${Next}
  ${EndIf}
  ClearErrors
  Rename "$0.new" $0
  ${If} ${Errors}
    Rename /REBOOTOK "$0.new" $0
  ${EndIf}
FunctionEnd

; Sets RESULT to 1 when NAME, a name from the list below, is a file this
; install writes, else to 0.
!macro WRITTEN_BY_INSTALL NAME RESULT
  StrCpy ${RESULT} ${NAME} 1
  ${IfThen} ${RESULT} == "!" ${|} StrCpy ${NAME} ${NAME} "" 1 ${|}
  StrCpy ${RESULT} ${NAME} 4
  ${IfThen} ${RESULT} == "\??\" ${|} StrCpy ${NAME} ${NAME} "" 4 ${|}
  StrCpy ${RESULT} 0
  ${If} ${NAME} == "$SYSDIR\${SCR_NAME}"
  ${OrIf} ${NAME} == "$SYSDIR\${SCR_NAME}.new"
  ${OrIf} ${NAME} == "$INSTDIR\uninstall.exe"
    StrCpy ${RESULT} 1
  ${EndIf}
!macroend

; The Session Manager's list of what the next start does holds pairs of
; strings: a file (\??\C:\...) and its new name (empty to delete it, a
; leading "!" to replace what is there). An uninstall while the program ran
; left the program's deletion there, an earlier upgrade a rename: done after
; this install, they would delete or overwrite the files it writes. Every
; pair that names one of them, as file or as new name, goes; the rest stays
; as it was.
Function ForgetPendingOperations
  System::Call 'advapi32::RegOpenKeyExW(p ${HKLM_HANDLE}, w "${SESSION_MANAGER_KEY}", i 0, i ${KEY_QUERY_AND_SET_VALUE}, *p .r1) i .r0'
  ${If} $0 != 0
    Return
  ${EndIf}
  System::Call 'advapi32::RegQueryValueExW(p r1, w "${PENDING_VALUE}", p 0, *i .r2, p 0, *i .r3) i .r0'
  ${If} $0 == 0
  ${AndIf} $2 == ${REG_MULTI_SZ}
  ${AndIf} $3 > 0
    ; Zeroed, with room for terminators a damaged value may lack.
    IntOp $4 $3 + 4
    System::Alloc $4
    Pop $5
    System::Alloc $4
    Pop $6
    System::Call 'advapi32::RegQueryValueExW(p r1, w "${PENDING_VALUE}", p 0, p 0, p r5, *i r3 r3) i .r0'
    ${If} $0 == 0
      IntPtrOp $7 $5 + $3
      StrCpy $8 $5
      StrCpy $9 $6
      StrCpy $R9 0
      ${Do}
        ${IfThen} $8 P>= $7 ${|} ${ExitDo} ${|}
        System::Call 'kernel32::lstrlenW(p r8) i .R0'
        ${IfThen} $R0 == 0 ${|} ${ExitDo} ${|}
        System::Call 'kernel32::lstrcpynW(w .R1, p r8, i ${NSIS_MAX_STRLEN})'
        IntPtrOp $R2 $R0 * 2
        IntPtrOp $R2 $8 + $R2
        IntPtrOp $R2 $R2 + 2
        ${IfThen} $R2 P>= $7 ${|} ${ExitDo} ${|}
        System::Call 'kernel32::lstrlenW(p R2) i .R3'
        System::Call 'kernel32::lstrcpynW(w .R4, p R2, i ${NSIS_MAX_STRLEN})'
        IntPtrOp $R5 $R3 * 2
        IntPtrOp $R5 $R2 + $R5
        IntPtrOp $R5 $R5 + 2
        !insertmacro WRITTEN_BY_INSTALL $R1 $R6
        !insertmacro WRITTEN_BY_INSTALL $R4 $R7
        ${If} $R6 == 0
        ${AndIf} $R7 == 0
          IntPtrOp $R8 $R5 - $8
          System::Call 'kernel32::RtlMoveMemory(p r9, p r8, p R8)'
          IntPtrOp $9 $9 + $R8
        ${Else}
          IntOp $R9 $R9 + 1
        ${EndIf}
        StrCpy $8 $R5
      ${Loop}
      ${If} $R9 > 0
        ${If} $9 P= $6
          System::Call 'advapi32::RegDeleteValueW(p r1, w "${PENDING_VALUE}")'
        ${Else}
          ; The list ends with an empty string (zeroed already).
          IntPtrOp $R8 $9 - $6
          IntPtrOp $R8 $R8 + 2
          System::Call 'advapi32::RegSetValueExW(p r1, w "${PENDING_VALUE}", i 0, i ${REG_MULTI_SZ}, p r6, i R8)'
        ${EndIf}
      ${EndIf}
    ${EndIf}
    System::Free $5
    System::Free $6
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p r1)'
FunctionEnd

; An earlier install into another folder (another /D=) left its uninstaller
; there; the registration moves to this one, so that one goes with its
; folder, when empty. Only a folder named Varominea, as the installer makes
; them, and never the one just written (compared by short names, which
; every spelling of a path shares).
Function LeavePreviousFolder
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $1 $0 "" -10
  ${If} $0 != ""
  ${AndIf} $1 == "\Varominea"
    GetFullPathName /SHORT $2 "$0"
    GetFullPathName /SHORT $3 "$INSTDIR"
    ${If} $2 != ""
    ${AndIf} $2 != $3
      Delete "$0\uninstall.exe"
      RMDir "$0"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Waits for any other installer or uninstaller of Varominea to finish its
; file work, so that two at once cannot take each other's .new or set aside
; each other's copies. The turn ends with the process (or its install
; thread), released or abandoned, which the next one takes alike.
!macro SETUP_TURN UN
  Function ${UN}TakeSetupTurn
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r0, i ${SETUP_WAIT_MS}) i .r1'
      ${If} $1 == ${WAIT_TIMEOUT}
        Abort "$(BusyText)"
      ${EndIf}
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro SETUP_TURN ""
!insertmacro SETUP_TURN "un."

Function .onInit
  ; NSIS replaces a /D= it cannot use (a drive's root, a drive that does
  ; not exist) with the default folder without a word. The command line
  ; still holds what was asked for (/D= comes last, to the end of the line):
  ; a drive gets a Varominea folder of its own as any other folder does;
  ; anything else is refused rather than installed elsewhere.
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  StrCpy $2 0
  StrCpy $3 ""
  ${DoWhile} $2 < $1
    StrCpy $4 $0 4 $2
    ${If} $4 S== " /D="
      IntOp $2 $2 + 4
      StrCpy $3 $0 "" $2
      ${ExitDo}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ${Do}
    StrCpy $4 $3 1 -1
    ${If} $4 == "\"
    ${OrIf} $4 == " "
      StrCpy $3 $3 -1
    ${Else}
      ${ExitDo}
    ${EndIf}
  ${Loop}
  ${If} $3 != ""
  ${AndIf} $3 != $INSTDIR
    StrLen $1 $3
    StrCpy $4 $3 1 1
    System::Call 'kernel32::GetDriveTypeW(w "$3\") i .r5'
    ${If} $1 == 2
    ${AndIf} $4 == ":"
    ${AndIf} $5 > 1
      StrCpy $INSTDIR $3
    ${Else}
      StrCpy $RefusedFolder $3
    ${EndIf}
  ${EndIf}

  ; /D= names the folder the uninstaller goes into. Another program's folder
  ; may hold an uninstall.exe of its own, which this one would replace and
  ; its uninstaller delete: a folder whose name is not Varominea gets a
  ; Varominea folder inside it, the installer's own.
  StrCpy $0 $INSTDIR 1 -1
  ${If} $0 == "\"
    StrCpy $INSTDIR $INSTDIR -1
  ${EndIf}
  ${GetFileName} $INSTDIR $0
  ${If} $0 != "Varominea"
    StrCpy $INSTDIR "$INSTDIR\Varominea"
  ${EndIf}

  ; Silent installs change the user's screen saver only when asked to.
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/ACTIVATE" $1
    ${If} ${Errors}
      !insertmacro UnselectSection ${ActivateSection}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ; The new program waits for the next restart: the exit code says so, as
  ; Windows installers do (a restart is needed to finish); the last page of
  ; an interactive install offers the restart.
  ${If} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section "Uninstall"
  Call un.TakeSetupTurn
  ; The user's screen saver goes back to none only when it is still this one,
  ; named by any spelling of its path.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ExpandEnvStrings $0 $0
  StrCpy $3 0
  ${If} $0 == "$SYSDIR\${SCR_NAME}"
    StrCpy $3 1
  ${ElseIf} $0 != ""
    GetFullPathName /SHORT $1 "$0"
    GetFullPathName /SHORT $2 "$SYSDIR\${SCR_NAME}"
    ${If} $1 != ""
    ${AndIf} $1 == $2
      StrCpy $3 1
    ${EndIf}
  ${EndIf}
  ${If} $3 == 1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_SEND})'
  ${EndIf}

  ; A running saver keeps its file until the next restart; so do copies an
  ; upgrade set aside, and a new copy still waiting to replace it. Only the
  ; names the installer makes: a user's own Varominea.scr.old stays.
  Delete /REBOOTOK "$SYSDIR\${SCR_NAME}"
  Delete /REBOOTOK "$SYSDIR\${SCR_NAME}.new"
  ${For} $0 1 ${OLD_COPIES}
    Delete /REBOOTOK "$SYSDIR\${SCR_NAME}.old$0"
  ${Next}
  ; The folder the registration names is the installer's, wherever this copy
  ; of the uninstaller runs from; a folder it was copied to is not touched.
  ; Run from that folder (with _?=), the uninstaller cannot delete itself,
  ; and the folder stays; run as usual, it works from a copy in %TEMP%.
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  StrCpy $2 $1 "" -10
  ${If} $2 == "\Varominea"
    Delete "$1\uninstall.exe"
    RMDir "$1"
  ${EndIf}
  ; The settings in %LOCALAPPDATA%\ヴァロミネア stay: they are the user's.
SectionEnd

Function un.onUninstSuccess
  ; The program was running and goes at the next restart: the exit code says
  ; so, as the installer's does.
  ${If} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd
