Target amd64-unicode
; The Windows installer of Varominea, built by tools/package.sh:
;   makensis -DVERSION=1.1.0 -DSCR=<stripped x64 Varominea.scr>
;            -DLICENSE=<LICENSE.txt> -DICON=<varominea.ico>
;            -DPICTURE=<installer.bmp> -DOUTFILE=<setup.exe>
;            windows/installer/varominea.nsi
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
; its name is Varominea), so that it never replaces another program's file.
; A running copy of the program does not keep the old one in place: it is
; moved aside and the new one written. Where even that fails, the new one
; replaces it at the next restart: silent installs then end with 3010 (a
; restart is needed), interactive ones offer the restart on the last page.
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
  ; The screen-saver settings list the .scr files of the system folder.
  SetOutPath "$SYSDIR"
  File "/oname=${SCR_NAME}.new" "${SCR}"
  Call PutProgramInPlace
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

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
    ${For} $1 1 9
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

Function .onInit
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
  ; upgrade set aside, and a new copy still waiting to replace it.
  Delete /REBOOTOK "$SYSDIR\${SCR_NAME}"
  Delete /REBOOTOK "$SYSDIR\${SCR_NAME}.new"
  Delete /REBOOTOK "$SYSDIR\${SCR_NAME}.old*"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Run from its own folder (with _?=), the uninstaller cannot delete itself,
  ; and the folder stays; run as usual, it works from a copy in %TEMP%.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The settings in %LOCALAPPDATA%\ヴァロミネア stay: they are the user's.
SectionEnd
