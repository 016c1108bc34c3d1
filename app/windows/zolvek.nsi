; The Windows installer, built by scripts/package windows with Debian's
; makensis: the portable folder (STAGE) installed for the current user
; (%LOCALAPPDATA%\Programs\Zolvek) or, for an administrator who chooses it, for
; every user (Program Files\Zolvek); a Start-menu entry and an uninstaller
; that Windows' "Installed apps" lists. Silent: /S, with /CurrentUser or /AllUsers.
; makensis -DVERSION=1.2 -DSTAGE=<folder> -DOUTFILE=<setup.exe> -DICON=<zolvek.ico>
;          -DUNINSTALL_FILES=<the Delete and RMDir lines for the folder's files> zolvek.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zolvek"
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR Zolvek
; Where the uninstaller learns which of the two modes was installed.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME InstallMode
!include MultiUser.nsh
!include MUI2.nsh

Name "Zolvek ${VERSION}"
OutFile "${OUTFILE}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\zolvek.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey ProductName Zolvek
VIAddVersionKey FileDescription "Zolvek ${VERSION} installer"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey LegalCopyright "GNU General Public License, version 3 or later"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Zolvek.lnk" "$INSTDIR\zolvek.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallMode $MultiUser.InstallMode
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayName "Zolvek"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\zolvek.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" Publisher "Zolvek"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

Section Uninstall
  Delete "$SMPROGRAMS\Zolvek.lnk"
  ; Only what was installed: the folder may hold the user's own files.
  !include "${UNINSTALL_FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
