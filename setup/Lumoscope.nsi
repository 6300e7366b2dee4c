; The setup program of Lumoscope (NSIS). It records what the program's own
; uninstall ("LUMOS32.EXE -u") removes again: the file type, the picture
; associations (extension key, the shell's Extensions value, the WIN.INI line)
; and the Start-menu group, whose name goes to HKCR\Lumoscope32\PMGroup.
; It registers no uninstaller of its own.
;
; makensis -DTARGET=x86-unicode -DSRCDIR=<folder> -DOUTFILE=<setup.exe> Lumoscope.nsi
;   TARGET   x86-unicode for the product, amd64-unicode for the x86-64 test build
;   SRCDIR   LUMOS32.EXE, RSTRIM32.DLL and RAZUVUDE.EXE, LUMOS32.HLP/.CNT if present

!ifndef TARGET | SRCDIR | OUTFILE
  !error "define TARGET, SRCDIR and OUTFILE"
!endif

Target ${TARGET}
SetCompressor /SOLID lzma
!include LogicLib.nsh
!include Sections.nsh

Name "Lumoscope 1.1 -32"
OutFile "${OUTFILE}"
Icon "../app/LUMOS32.ICO"
InstallDir "$PROGRAMFILES\Lumoscope"
RequestExecutionLevel admin
ShowInstDetails show

!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumoscope32"
!define EXTENSIONS_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Extensions"
!define GROUP "Lumoscope"

ComponentText "Lumoscope opens the picture types you tick. A type that another program opens now is not ticked."
Page components
Page directory
Page instfiles

Section "Lumoscope (required)" SecProgram
  SectionIn RO
  ; The Program Manager command of the uninstall deletes a personal group.
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${SRCDIR}/LUMOS32.EXE"
  File "${SRCDIR}/RSTRIM32.DLL"
  !if /FileExists "${SRCDIR}/LUMOS32.HLP"
    File "${SRCDIR}/LUMOS32.HLP"
  !endif
  !if /FileExists "${SRCDIR}/LUMOS32.CNT"
    File "${SRCDIR}/LUMOS32.CNT"
  !endif
  ; The program hands the removal of its files to this one.
  SetOutPath "$WINDIR"
  File "${SRCDIR}/RAZUVUDE.EXE"
  SetOutPath "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\${GROUP}"
  CreateShortcut "$SMPROGRAMS\${GROUP}\Lumoscope.lnk" "$INSTDIR\LUMOS32.EXE"
  WriteRegStr HKCR "Lumoscope32\PMGroup" "" "${GROUP}"

  ; The program writes these at every start; here they serve until its first.
  WriteRegStr HKCR "Lumoscope32" "" "Lumoscope Picture File"
  WriteRegStr HKCR "Lumoscope32\shell\open\command" "" '"$INSTDIR\LUMOS32.EXE" "%1"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Lumoscope 1.1 -32"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\LUMOS32.EXE" -u'
SectionEnd

!macro Association EXT
  Section ".${EXT} pictures" SecExt${EXT}
    WriteRegStr HKCR ".${EXT}" "" "Lumoscope32"
    WriteRegStr HKLM "${EXTENSIONS_KEY}" ".${EXT}" "$INSTDIR\LUMOS32.EXE ^.${EXT}"
    WriteINIStr "$WINDIR\WIN.INI" "Extensions" "${EXT}" "$INSTDIR\LUMOS32.EXE ^.${EXT}"
  SectionEnd
!macroend

SectionGroup /e "Open these pictures with Lumoscope"
  !insertmacro Association JPG
  !insertmacro Association BMP
  !insertmacro Association GIF
  !insertmacro Association WMF
  !insertmacro Association ICO
  !insertmacro Association PCX
  !insertmacro Association TIF
SectionGroupEnd

; A type that belongs to another program is taken only when the user ticks it.
!macro KeepOtherProgramsType EXT
  ReadRegStr $0 HKCR ".${EXT}" ""
  ${If} $0 != ""
  ${AndIf} $0 != "Lumoscope32"
    !insertmacro UnselectSection ${SecExt${EXT}}
    SectionSetText ${SecExt${EXT}} ".${EXT} pictures (now: $0)"
  ${EndIf}
!macroend

Function .onInit
  !insertmacro KeepOtherProgramsType JPG
  !insertmacro KeepOtherProgramsType BMP
  !insertmacro KeepOtherProgramsType GIF
  !insertmacro KeepOtherProgramsType WMF
  !insertmacro KeepOtherProgramsType ICO
  !insertmacro KeepOtherProgramsType PCX
  !insertmacro KeepOtherProgramsType TIF
FunctionEnd
