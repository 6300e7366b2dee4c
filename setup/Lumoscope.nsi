; The setup program of Lumoscope (NSIS). It records what the program's own
; uninstall ("LUMOS32.EXE -u") removes again: the file type, the picture
; associations (extension key, the shell's Extensions value, the WIN.INI line)
; and the Start-menu group, whose name goes to HKCR\Lumoscope32\PMGroup.
; It registers no uninstaller of its own. What another program had on a type
; it takes over is kept under HKCR\Lumoscope32\Previous, so that the uninstall
; can give it back.
;
; /S /D=<folder> installs silently; /ALLTYPES ticks every picture type, also
; those another program opens now.
;
; makensis -DTARGET=x86-unicode -DSRCDIR=<folder> -DOUTFILE=<setup.exe> Lumoscope.nsi
;   TARGET   x86-unicode for the product, amd64-unicode for the x86-64 test build
;   SRCDIR   LUMOS32.EXE, RSTRIM32.DLL and RAZUVUDE.EXE, LUMOS32.HLP/.CNT if present

!ifndef TARGET | SRCDIR | OUTFILE
  !error "define TARGET, SRCDIR and OUTFILE"
!endif

Target ${TARGET}
SetCompressor /SOLID lzma
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

Name "Lumoscope 1.1 -32"
OutFile "${OUTFILE}"
Icon "../app/LUMOS32.ICO"
InstallDir "$PROGRAMFILES\Lumoscope"
; A drive root reaches our own check, which says why it is refused; NSIS
; would silently take the default folder instead.
AllowRootDirInstall true
RequestExecutionLevel admin
ShowInstDetails show

!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumoscope32"
!define EXTENSIONS_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Extensions"
!define GROUP "Lumoscope"

ComponentText "Lumoscope opens the picture types you tick. A type that another program opens now is not ticked."
Page components
Page directory "" "" RefuseDriveRoot
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
  ; The rest of the control panel's entry; it goes with the key at the uninstall.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\LUMOS32.EXE,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.1a"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lumoscope"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

!macro Association EXT
  Section ".${EXT} pictures" SecExt${EXT}
    ; A type taken from another program (or from none): what was there is kept.
    ; A type that is ours already keeps what the first install kept.
    ReadRegStr $0 HKCR ".${EXT}" ""
    ${If} $0 != "Lumoscope32"
      ${If} $0 != ""
        WriteRegStr HKCR "Lumoscope32\Previous" ".${EXT}" $0
      ${EndIf}
      ReadRegStr $0 HKLM "${EXTENSIONS_KEY}" ".${EXT}"
      ${If} $0 != ""
        WriteRegStr HKCR "Lumoscope32\Previous\Extensions" ".${EXT}" $0
      ${EndIf}
      ReadINIStr $0 "$WINDIR\WIN.INI" "Extensions" "${EXT}"
      ${If} $0 != ""
        WriteRegStr HKCR "Lumoscope32\Previous\WIN.INI" "${EXT}" $0
      ${EndIf}
    ${EndIf}
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

; The uninstall removes the program's folder; a drive root cannot be that.
Function RefuseDriveRoot
  ${GetRoot} "$INSTDIR" $0
  ${If} "$INSTDIR" == "$0"
  ${OrIf} "$INSTDIR" == "$0\"
    MessageBox MB_ICONSTOP "Lumoscope needs a folder of its own; it cannot be installed into $INSTDIR." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd

Function .onInit
  ${IfThen} ${Silent} ${|} Call RefuseDriveRoot ${|}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLTYPES" $1
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  !insertmacro KeepOtherProgramsType JPG
  !insertmacro KeepOtherProgramsType BMP
  !insertmacro KeepOtherProgramsType GIF
  !insertmacro KeepOtherProgramsType WMF
  !insertmacro KeepOtherProgramsType ICO
  !insertmacro KeepOtherProgramsType PCX
  !insertmacro KeepOtherProgramsType TIF
FunctionEnd
