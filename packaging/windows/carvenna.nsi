; The Windows setup of Carvenna, made by package-windows.sh with makensis:
;   makensis -DVERSION=1.0 -DSTAGE=<program folder> -DFIRSTPASSWORD=<unins000.dll> -DFILES=<files.nsh> -DOUTFILE=<setup.exe>
; The office's data lives beside the program, so the program folder is one the office can write to:
; C:\Carvenna by default (Program Files is not writable), or a folder on a shared drive.
; Silent install for IT staff: Carvenna-Setup-<version>.exe /S /D=C:\Carvenna
; A 64-bit setup for a 64-bit program: it runs where the program runs (and under Wine without its 32-bit part).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"

Name "Carvenna ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\Carvenna"
; A mapped drive of the office's server is seen only by the user who mapped it, not by an administrator.
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show
BrandingText "Carvenna ${VERSION}"

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Carvenna tiene i suoi archivi nella cartella del programma: sceglierne una in cui si possa scrivere (non in Programmi). Per lavorare in più postazioni sugli stessi archivi, scegliere una cartella condivisa in rete. Se la cartella contiene già gli archivi di Carvenna, l'installazione li lascia come sono, password compresa."
!define MUI_FINISHPAGE_RUN "$INSTDIR\carvenna.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Avvia Carvenna"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Carvenna"

Section "Carvenna"
    SetOutPath "$INSTDIR"
    ; The program, the Qt libraries and plugins, the compiler's runtime, the guide: replaced by every install.
    SetOverwrite on
    File /r "${STAGE}/*.*"
    ; The first password file only where there is none: a reinstall keeps the password the office chose.
    SetOverwrite off
    File "/oname=unins000.dll" "${FIRSTPASSWORD}"
    SetOverwrite on

    WriteUninstaller "$INSTDIR\Disinstalla Carvenna.exe"
    ; Shortcuts start the program in its folder.
    CreateDirectory "$SMPROGRAMS\Carvenna"
    CreateShortCut "$SMPROGRAMS\Carvenna\Carvenna.lnk" "$INSTDIR\carvenna.exe"
    CreateShortCut "$SMPROGRAMS\Carvenna\Guida di Carvenna.lnk" "$INSTDIR\Guida.pdf"
    CreateShortCut "$SMPROGRAMS\Carvenna\Disinstalla Carvenna.lnk" "$INSTDIR\Disinstalla Carvenna.exe"
    CreateShortCut "$DESKTOP\Carvenna.lnk" "$INSTDIR\carvenna.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Carvenna"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Carvenna"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\carvenna.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Disinstalla Carvenna.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Disinstalla Carvenna.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller removes only what the setup put there, file by file (the list is made from the
; program folder the setup holds). The office's files stay: the receipt and registry archives, the
; settings and password files, and the folders of photos, documents, PDFs, journals, invoices,
; direct debits and backups. The folder itself goes only when nothing else is left in it.
Section "Uninstall"
    !include "${FILES}"
    Delete "$INSTDIR\Disinstalla Carvenna.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Carvenna\Carvenna.lnk"
    Delete "$SMPROGRAMS\Carvenna\Guida di Carvenna.lnk"
    Delete "$SMPROGRAMS\Carvenna\Disinstalla Carvenna.lnk"
    RMDir "$SMPROGRAMS\Carvenna"
    Delete "$DESKTOP\Carvenna.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
