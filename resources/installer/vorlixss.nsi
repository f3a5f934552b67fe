; The VorlixSS installer and uninstaller (NSIS 3, built on Linux by scripts/package).
; Installs for the current user without administrator rights, makes VorlixSS the active
; screen saver, and can add it to the system's screen-saver list when run as administrator.
;
; makensis -DVORLIX_X64_SCR=FILE -DVORLIX_X86_SCR=FILE -DVORLIX_OUTFILE=FILE
;          [-DVORLIX_VERSION=1.0] [-DVORLIX_LICENSE=FILE]
;          /ABSOLUTE/PATH/vorlixss.nsi
; (VORLIX_LICENSE, the licence text the first page shows, defaults to the checkout's LICENSE.)
; (makensis works in the script's folder; the icon is found through the absolute path.)
; The installer is x86, so that it runs on 32- and 64-bit Windows; resources/installer/
; build-installer builds it for the release and for the tests.
;
; Switches: /S silent; /D=FOLDER install folder (last, unquoted); /SYSTEM also install into
; the system folder. Uninstaller: /S silent; /REMOVESETTINGS also remove the saved settings.
; Exit codes: 0 done, 1 cancelled by the user, 2 stopped by an error, 3 done except the
; system-folder copy (no administrator rights).

!ifndef VORLIX_X64_SCR | VORLIX_X86_SCR | VORLIX_OUTFILE
  !error "VORLIX_X64_SCR, VORLIX_X86_SCR and VORLIX_OUTFILE must be defined"
!endif
!ifndef VORLIX_VERSION
  !define VORLIX_VERSION "1.0"
!endif
!ifndef VORLIX_LICENSE
  !define VORLIX_LICENSE "${__FILEDIR__}/../../LICENSE"
!endif
Target x86-unicode

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "x64.nsh"

!define productName "VorlixSS"
!define publisher "Tamrune"
!define scrFile "VorlixSS.scr"
!define uninstallerFile "uninstall.exe"
; The per-user uninstall list (Apps and Features shows it without administrator rights).
!define uninstallKey "Software\Microsoft\Windows\CurrentVersion\Uninstall\VorlixSS"
; The desktop's per-user screen-saver settings.
!define desktopKey "Control Panel\Desktop"
; Where the saver keeps the user's settings (all versions).
!define settingsKey "Software\Tamrune\VorlixSS"
!define vendorKey "Software\Tamrune"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
!define exitSystemCopyFailed 3

!define textNeedsAdmin "Adding VorlixSS to the system's screen saver list needs administrator rights. Run the installer as administrator for that; VorlixSS was installed for you."
!define textSystemCopyFailed "VorlixSS could not be copied into the system folder. VorlixSS was installed for you."
!define textCannotWrite "VorlixSS could not be written to $INSTDIR. If the screen saver is running, end it and try again."
!define textSystemCopyKept "The copy of VorlixSS in the system folder can only be removed with administrator rights. Run the uninstaller as administrator; nothing was removed."

Name "${productName}"
OutFile "${VORLIX_OUTFILE}"
Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
InstallDir "$LOCALAPPDATA\Programs\VorlixSS"
; A second run goes where the first one went.
InstallDirRegKey HKCU "${uninstallKey}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${productName} ${VORLIX_VERSION}"

VIProductVersion "${VORLIX_VERSION}.0.0"
VIAddVersionKey "ProductName" "${productName}"
VIAddVersionKey "CompanyName" "${publisher}"
VIAddVersionKey "FileDescription" "${productName} screen saver setup"
VIAddVersionKey "FileVersion" "${VORLIX_VERSION}"
VIAddVersionKey "ProductVersion" "${VORLIX_VERSION}"
VIAddVersionKey "LegalCopyright" "${publisher}"

!define MUI_ABORTWARNING
; The saver's own icon (icon 100 of the .scr) for both directions.
!define MUI_ICON "${__FILEDIR__}/../vorlixss.ico"
!define MUI_UNICON "${__FILEDIR__}/../vorlixss.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver Settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
; The MIT licence asks for no acceptance: the page only shows it.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "VorlixSS is free software under the MIT licence above."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${VORLIX_LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Puts the .scr of this machine's architecture at the given path (x86 also on ARM64).
!macro PutSaverFile target
  ${If} ${IsNativeAMD64}
    File "/oname=${target}" "${VORLIX_X64_SCR}"
  ${Else}
    File "/oname=${target}" "${VORLIX_X86_SCR}"
  ${EndIf}
!macroend

Section "VorlixSS for you" SecUser
  SectionIn RO
  ; One installation only: an earlier one in another folder is taken away first (only where
  ; our saver still is, so that a stale entry cannot take another program's uninstaller).
  ReadRegStr $0 HKCU "${uninstallKey}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
  ${AndIf} ${FileExists} "$0\${scrFile}"
    Delete "$0\${scrFile}"
    Delete "$0\${uninstallerFile}"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  ClearErrors
  !insertmacro PutSaverFile "$INSTDIR\${scrFile}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${textCannotWrite}" /SD IDOK
    Abort
  ${EndIf}
  WriteUninstaller "$INSTDIR\${uninstallerFile}"

  WriteRegStr HKCU "${uninstallKey}" "DisplayName" "${productName}"
  WriteRegStr HKCU "${uninstallKey}" "DisplayVersion" "${VORLIX_VERSION}"
  WriteRegStr HKCU "${uninstallKey}" "Publisher" "${publisher}"
  WriteRegStr HKCU "${uninstallKey}" "DisplayIcon" "$INSTDIR\${scrFile},0"
  WriteRegStr HKCU "${uninstallKey}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${uninstallKey}" "UninstallString" '"$INSTDIR\${uninstallerFile}"'
  WriteRegStr HKCU "${uninstallKey}" "QuietUninstallString" '"$INSTDIR\${uninstallerFile}" /S'
  WriteRegDWORD HKCU "${uninstallKey}" "NoModify" 1
  WriteRegDWORD HKCU "${uninstallKey}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKCU "${uninstallKey}" "EstimatedSize" $1

  ; The active saver: the desktop starts the file that SCRNSAVE.EXE names.
  WriteRegStr HKCU "${desktopKey}" "SCRNSAVE.EXE" "$INSTDIR\${scrFile}"
  System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
  WriteRegStr HKCU "${desktopKey}" "ScreenSaveActive" "1"
SectionEnd

Section /o "Add to the system's screen saver list (administrators)" SecSystem
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${textNeedsAdmin}" /SD IDOK
    SetErrorLevel ${exitSystemCopyFailed}
    Return
  ${EndIf}
  ; NOTE: a 32-bit installer on 64-bit Windows would otherwise write to SysWOW64, which the
  ; 64-bit Screen Saver Settings do not list.
  ${DisableX64FSRedirection}
  ClearErrors
  !insertmacro PutSaverFile "$SYSDIR\${scrFile}"
  ${If} ${Errors}
    ${EnableX64FSRedirection}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${textSystemCopyFailed}" /SD IDOK
    SetErrorLevel ${exitSystemCopyFailed}
    Return
  ${EndIf}
  ${EnableX64FSRedirection}
  WriteRegStr HKCU "${uninstallKey}" "SystemCopy" "$SYSDIR\${scrFile}"
SectionEnd

; Opens the desktop's screen-saver page, where VorlixSS is now selected.
Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SYSTEM" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecSystem}
  ${EndIf}
  ; Without administrator rights the system-folder copy cannot be chosen on the page.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
  ${AndIfNot} ${Silent}
    !insertmacro UnselectSection ${SecSystem}
    !insertmacro SetSectionFlag ${SecSystem} ${SF_RO}
  ${EndIf}
FunctionEnd

; Whether SCRNSAVE.EXE ($0) names our copy; $1 becomes 1 or 0. Short names count too,
; since the desktop's own settings page may store one.
!macro IsOurSaver path
  ${If} $0 == "${path}"
    StrCpy $1 1
  ${ElseIf} ${FileExists} "${path}"
    GetFullPathName /SHORT $2 "${path}"
    ${If} $2 != ""
    ${AndIf} $0 == $2
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
!macroend

Section "un.VorlixSS" SecUnUser
  SectionIn RO
  ; The system copy first: if it cannot go, nothing else goes, so the entry stays usable.
  ReadRegStr $3 HKCU "${uninstallKey}" "SystemCopy"
  ${If} $3 != ""
    ${DisableX64FSRedirection}
    Delete "$3"
    ${If} ${FileExists} "$3"
      ${EnableX64FSRedirection}
      MessageBox MB_OK|MB_ICONSTOP "${textSystemCopyKept}" /SD IDOK
      Abort
    ${EndIf}
    ${EnableX64FSRedirection}
  ${EndIf}

  ; The active saver is cleared only while it is still ours.
  ReadRegStr $0 HKCU "${desktopKey}" "SCRNSAVE.EXE"
  StrCpy $1 0
  ${If} $0 != ""
    !insertmacro IsOurSaver "$INSTDIR\${scrFile}"
    ${If} $3 != ""
      !insertmacro IsOurSaver "$3"
    ${EndIf}
  ${EndIf}
  ${If} $1 == 1
    DeleteRegValue HKCU "${desktopKey}" "SCRNSAVE.EXE"
  ${EndIf}

  Delete "$INSTDIR\${scrFile}"
  ; Written by the saver into its working folder.
  Delete "$INSTDIR\logInit.txt"
  Delete "$INSTDIR\logShader.txt"
  Delete "$INSTDIR\${uninstallerFile}"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${uninstallKey}"
SectionEnd

Section /o "un.Your VorlixSS settings" SecUnSettings
  DeleteRegKey HKCU "${settingsKey}"
  DeleteRegKey /ifempty HKCU "${vendorKey}"
SectionEnd

Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnSettings}
  ${EndIf}
FunctionEnd
