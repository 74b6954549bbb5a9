; The per-user installer of Brenvald. scripts/package defines VERSION,
; VERSION_DOTTED, FILES (the generated list of the files to install and to
; remove), OUTFILE, ICON (the program's icon) and LICENSE (the licence text
; the licence page shows). Everything goes into the user's own programs folder,
; where the program may write its Quarantine folder beside itself, so no
; administrator rights are asked for.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Brenvald"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define OWNER "The Brenvald authors"
; The Explorer command "Scan with Brenvald" for files and for folders, for
; the current user only.
!define FILE_VERB_KEY "Software\Classes\*\shell\Brenvald.Scan"
!define FOLDER_VERB_KEY "Software\Classes\Directory\shell\Brenvald.Scan"
!define VERB_TEXT "Scan with Brenvald"

!include "MUI2.nsh"
!include "FileFunc.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

VIProductVersion "${VERSION_DOTTED}"
VIFileVersion "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${OWNER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "(C) 2026 ${OWNER}. MIT License."

!include "${FILES}"

; What stays behind, said on the uninstaller's first page before anything
; is removed (un.onInit fills it in).
Var KeptNote

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\bvxscan.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Brenvald"
!insertmacro MUI_PAGE_FINISH

!define MUI_WELCOMEPAGE_TEXT "This removes Brenvald from $INSTDIR.$\r$\n$\r$\n$KeptNote$\r$\n$\r$\nClose Brenvald before you go on."
!insertmacro MUI_UNPAGE_WELCOME
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

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
    ; The size Apps shows, in kilobytes.
    ${GetSize} "$INSTDIR" "/S=0K /G=1" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    WriteRegStr HKCU "${FILE_VERB_KEY}" "" "${VERB_TEXT}"
    WriteRegStr HKCU "${FILE_VERB_KEY}" "Icon" "$INSTDIR\bvxscan.exe"
    WriteRegStr HKCU "${FILE_VERB_KEY}\command" "" '"$INSTDIR\bvxscan.exe" "%1"'
    WriteRegStr HKCU "${FOLDER_VERB_KEY}" "" "${VERB_TEXT}"
    WriteRegStr HKCU "${FOLDER_VERB_KEY}" "Icon" "$INSTDIR\bvxscan.exe"
    WriteRegStr HKCU "${FOLDER_VERB_KEY}\command" "" '"$INSTDIR\bvxscan.exe" "%1"'
SectionEnd

; Sets $0 to the number of files Quarantine holds, its index apart.
Function un.CountQuarantined
    StrCpy $0 0
    ClearErrors
    FindFirst $1 $2 "$INSTDIR\Quarantine\*"
    entry:
        IfErrors done
        IfFileExists "$INSTDIR\Quarantine\$2\*.*" next
        StrCmp $2 "Files.ini" next
        StrCmp $2 "Files.ini.tmp" next
        IntOp $0 $0 + 1
    next:
        FindNext $1 $2
        Goto entry
    done:
    FindClose $1
FunctionEnd

; Sets $0 to the names in Bases\ that the uninstaller leaves (everything but
; the note it installed), joined by ", "; a folder ends with a backslash.
Function un.ListKeptBases
    StrCpy $0 ""
    ClearErrors
    FindFirst $1 $2 "$INSTDIR\Bases\*"
    entry:
        IfErrors done
        StrCmp $2 "." next
        StrCmp $2 ".." next
        StrCmp $2 "README.txt" next
        StrCpy $3 $2
        IfFileExists "$INSTDIR\Bases\$2\*.*" 0 +2
            StrCpy $3 "$2\"
        StrCmp $0 "" 0 +3
            StrCpy $0 $3
            Goto next
        StrCpy $0 "$0, $3"
    next:
        FindNext $1 $2
        Goto entry
    done:
    FindClose $1
FunctionEnd

Function un.onInit
    SetShellVarContext current
    Call un.CountQuarantined
    StrCmp $0 0 0 +3
        StrCpy $KeptNote "The Quarantine folder holds no files."
        Goto bases
    StrCmp $0 1 0 +3
        StrCpy $KeptNote "The Quarantine folder holds 1 file that Brenvald moved there. It is your file: it stays, with the folder $INSTDIR\Quarantine."
        Goto bases
    StrCpy $KeptNote "The Quarantine folder holds $0 files that Brenvald moved there. They are your files: they stay, with the folder $INSTDIR\Quarantine."
    bases:
    Call un.ListKeptBases
    StrCmp $0 "" 0 +3
        StrCpy $KeptNote "$KeptNote$\r$\n$\r$\nBases\ holds no bases of your own."
        Return
    StrCpy $KeptNote "$KeptNote$\r$\n$\r$\nThese bases stay in $INSTDIR\Bases: $0."
FunctionEnd

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
        ; The first page has said so, before anything was removed.
        DetailPrint "Kept $INSTDIR\Quarantine: it holds quarantined files."
    quarantine_done:
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey HKCU "${FILE_VERB_KEY}"
    DeleteRegKey HKCU "${FOLDER_VERB_KEY}"
    ; Last, so that whoever waits for the uninstaller sees it finished.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
