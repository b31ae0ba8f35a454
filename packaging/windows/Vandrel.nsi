; Vandrel's Windows installer, made on Debian with makensis (scripts/build-installer):
;   makensis -DVERSION=0.2.0 -DSTAGE=<folder of the zip's files> -DFILES=<generated lists>
;            -DICON=<vandrel.ico> -DOUTFILE=<setup.exe> Vandrel.nsi
; Installs for the player alone into %LOCALAPPDATA%\Programs\Vandrel without
; administrator rights; an administrator may choose all users instead (Program
; Files). One Start-menu shortcut, one entry in the installed programs. The
; scores live in the registry under Software\Orvandel and are never touched here.

Unicode true
; Wine on 64-bit-only systems cannot run the 32-bit stub; Windows x64 runs either.
Target amd64-unicode
SetCompressor /SOLID lzma
; File times are not stored: the same files make the same installer, whenever built.
SetDateSave off
ManifestDPIAware true

!define APP "Vandrel"
!define PUBLISHER "The Vandrel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel"
!define UNINSTALLER "Uninstall.exe"

Name "${APP}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"

; Per user by default; the MultiUser header offers "all users" to an administrator.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
; An upgrade goes where the last installation went, in the same mode.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_MUI
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vandrel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(PlayNow)"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback on systems in neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString PlayNow ${LANG_ENGLISH} "Play Vandrel now"
LangString PlayNow ${LANG_GERMAN} "Vandrel jetzt spielen"
LangString OldUninstallFailed ${LANG_ENGLISH} "The earlier installation in $0 could not be removed; its files are replaced."
LangString OldUninstallFailed ${LANG_GERMAN} "Die frühere Installation in $0 ließ sich nicht entfernen; ihre Dateien werden ersetzt."
LangString ShortcutComment ${LANG_ENGLISH} "Shoot the figures over the canyon before the clock runs out"
LangString ShortcutComment ${LANG_GERMAN} "Schieße die Figuren über der Schlucht ab, bevor die Zeit abläuft"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APP} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "2026 ${PUBLISHER}, MIT licence"

Var givenDir

Function .onInit
  ; /D= is the only way $INSTDIR is set this early; MultiUser would overwrite it.
  StrCpy $givenDir $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $givenDir != ""
    StrCpy $INSTDIR $givenDir
  ${EndIf}
FunctionEnd

Function un.onInit
  ; The uninstaller removes the installation it belongs to (its own folder, which
  ; NSIS hands over as _?=), whatever the registry says.
  StrCpy $givenDir $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  StrCpy $INSTDIR $givenDir
FunctionEnd

Section "Vandrel"
  ; An earlier installation is removed by its own uninstaller first, so files it
  ; had and this version has not do not stay behind. It leaves the scores alone.
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    ClearErrors
    ExecWait '"$0\${UNINSTALLER}" /S /$MultiUser.InstallMode _?=$0' $2
    ${If} ${Errors}
    ${OrIf} $2 != 0
      DetailPrint "$(OldUninstallFailed)"
    ${EndIf}
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  !include "${FILES}/install.nsh"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcut starts the game in its own folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\Vandrel.exe" "" "$INSTDIR\Vandrel.exe" 0 \
    SW_SHOWNORMAL "" "$(ShortcutComment)"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\Vandrel.exe$\",0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    "$\"$INSTDIR\${UNINSTALLER}$\" /$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
    "$\"$INSTDIR\${UNINSTALLER}$\" /$MultiUser.InstallMode /S"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "https://vandrel.org/"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as the installed-programs list expects.
  ${GetSize} "$INSTDIR" "/S=0K" $3 $4 $5
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $3
SectionEnd

Section "Uninstall"
  ; Exactly the files this version installed; anything the player put into the
  ; folder keeps it (and the folder) in place.
  !include "${FILES}/uninstall.nsh"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
