; The per-user installer of Brenvald. scripts/package defines VERSION,
; VERSION_DOTTED, FILES (the generated list of the files to install and to
; remove) and OUTFILE. Everything goes into the user's own programs folder,
; where the program may write its Quarantine folder beside itself, so no
; administrator rights are asked for.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Brenvald"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define OWNER "The owner of Brenvald"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_DOTTED}"
VIFileVersion "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${OWNER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "(C) ${OWNER}. All rights reserved."

!include "${FILES}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Brenvald"
    SetShellVarContext current
    !insertmacro InstallFiles
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\bvxscan.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${OWNER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bvxscan.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Sets $0 to 1 when the folder given in $0 holds any file or folder, else to 0.
Function un.FolderHoldsEntries
    StrCpy $3 $0
    StrCpy $0 0
    ClearErrors
    FindFirst $1 $2 "$3\*"
    entry:
        IfErrors done
        StrCmp $2 "." next
        StrCmp $2 ".." next
        StrCpy $0 1
        Goto done
    next:
        FindNext $1 $2
        Goto entry
    done:
    FindClose $1
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    ; A running scanner keeps its program file open: stop before removing
    ; anything, so that a half-removed copy never stays behind.
    Delete "$INSTDIR\bvxscan.exe"
    IfFileExists "$INSTDIR\bvxscan.exe" 0 scanner_removed
        MessageBox MB_OK|MB_ICONEXCLAMATION "Brenvald is still running. Close it and start the uninstaller again." /SD IDOK
        Abort "Brenvald is still running."
    scanner_removed:

    !insertmacro RemoveFiles
    Delete "$INSTDIR\Uninstall.exe"
    ; Bases the user added stay: the folder goes only when it is empty.
    RMDir "$INSTDIR\Bases"

    ; The files in the Quarantine folder are the user's own files: never
    ; deleted here.
    IfFileExists "$INSTDIR\Quarantine\*" 0 quarantine_done
    StrCpy $0 "$INSTDIR\Quarantine"
    Call un.FolderHoldsEntries
    StrCmp $0 1 quarantine_kept
        RMDir "$INSTDIR\Quarantine"
        Goto quarantine_done
    quarantine_kept:
        DetailPrint "Kept $INSTDIR\Quarantine: it holds quarantined files."
        MessageBox MB_OK|MB_ICONINFORMATION "The Quarantine folder still holds files that Brenvald moved there. They are your files, so the folder was left in place:$\r$\n$\r$\n$INSTDIR\Quarantine$\r$\n$\r$\nRestore or delete them with Brenvald before uninstalling, or remove the folder yourself." /SD IDOK
    quarantine_done:
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    ; Last, so that whoever waits for the uninstaller sees it finished.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
