; Tidewell's Windows installer, built by scripts/windows-build.sh (step installer, scripts/windows/installer.sh)
; with makensis from the folder the zip is packed from:
;   makensis -DDIST=<folder> -DFILES=<list> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> tidewell.nsi
; FILES is an include file that removes every file and folder of DIST again
; (written by the build script from the same folder), so the uninstaller
; removes exactly what was installed and nothing the user made there.
;
; A per-user install: no administrator rights, into
; %LOCALAPPDATA%\Programs\Tidewell, Start-menu entries for Tidewell and its
; demo, an entry in the user's list of installed programs.  The uninstaller
; keeps the settings (Tidewell.Ini) unless asked: a question when run by
; hand, /REMOVESETTINGS on its command line.  Both run silently with /S.

; A 64-bit installer for the 64-bit program (it runs where the program does).
Target amd64-unicode
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell"

Name "Tidewell"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tidewell"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

LicenseData "${DIST}\LICENSE.txt"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tidewell"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${DIST}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Tidewell"
  CreateShortcut "$SMPROGRAMS\Tidewell\Tidewell.lnk" "$INSTDIR\tidewell.exe"
  CreateShortcut "$SMPROGRAMS\Tidewell\Tidewell Demo.lnk" "$INSTDIR\tidewell.exe" "--demo"
  CreateShortcut "$SMPROGRAMS\Tidewell\Uninstall Tidewell.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tidewell"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tidewell.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"

  ; The settings: beside the program, and the per-user file Tidewell keeps
  ; when its folder cannot be written.
  StrCpy $0 "keep"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/REMOVESETTINGS" $2
  ${IfNot} ${Errors}
    StrCpy $0 "remove"
  ${ElseIfNot} ${Silent}
  ${AndIf} ${FileExists} "$INSTDIR\Tidewell.Ini"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Remove your Tidewell settings too ($INSTDIR\Tidewell.Ini)?" IDNO +2
    StrCpy $0 "remove"
  ${EndIf}
  ${If} $0 == "remove"
    Delete "$INSTDIR\Tidewell.Ini"
    Delete "$APPDATA\Tidewell\Tidewell.Ini"
    RMDir "$APPDATA\Tidewell"
  ${EndIf}
  RMDir "$INSTDIR"
  ; The folder of per-user programs, when the installer made it and nothing else is in it.
  RMDir "$LOCALAPPDATA\Programs"

  Delete "$SMPROGRAMS\Tidewell\Tidewell.lnk"
  Delete "$SMPROGRAMS\Tidewell\Tidewell Demo.lnk"
  Delete "$SMPROGRAMS\Tidewell\Uninstall Tidewell.lnk"
  RMDir "$SMPROGRAMS\Tidewell"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
