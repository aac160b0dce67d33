; The peer installer that scripts/bench-size.sh measures ours against: the files of one folder,
; packed as one solid LZMA stream with a 64 MiB dictionary, installed into $INSTDIR. It asks
; for the folder and shows the progress; "/S /D=<folder>" installs silently (/D last, unquoted).
; Writes no uninstaller, shortcuts or registry values: only the download is compared.
;   makensis -DPAYLOAD=<folder> -DOUTFILE=<installer.exe> scripts/bench-size.nsi
!ifndef PAYLOAD | OUTFILE
  !error "define PAYLOAD (the folder to install) and OUTFILE (the installer to write)"
!endif

Unicode true
SetCompressor /SOLID lzma
SetCompressorDictSize 64

Name "Benchmark"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Benchmark"
RequestExecutionLevel user

Page directory
Page instfiles

Section
  SetOutPath "$INSTDIR"
  File /r "${PAYLOAD}/*"
SectionEnd
