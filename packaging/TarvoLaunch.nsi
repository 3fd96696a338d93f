; Installer of the QuarrionOL launcher. Built by the Windows build:
;   makensis -DVERSION=x.y.z -DSTAGE=<dir with the files> -DOUTFILE=<installer> TarvoLaunch.nsi
Unicode true
SetCompressor /SOLID lzma
SetDateSave off

Name "QuarrionOL"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\QuarrionOL"
RequestExecutionLevel admin
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "QuarrionOL"
VIAddVersionKey "FileDescription" "QuarrionOL launcher installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "QuarrionOL"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Launcher"
  SetOutPath "$INSTDIR"
  File "${STAGE}/TarvoLaunch.exe"
  SetOutPath "$INSTDIR\client"
  ; An existing settings file belongs to the platform: keep it.
  SetOverwrite off
  File "${STAGE}/client/http.cfg"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\Uninstall.exe"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\TarvoLaunch.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
