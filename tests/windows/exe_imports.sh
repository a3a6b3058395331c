#!/usr/bin/env bash
# A Windows program of ours runs from its folder alone: it needs no DLL but Windows' own, and is of
# the subsystem it should be (2: a GUI program, no console; 3: a console program).
#   bash tests/windows/exe_imports.sh OBJDUMP SUBSYSTEM PROGRAM.exe
set -euo pipefail
objdump=$1 subsystem=$2 exe=$3

# The DLLs every Windows 7 to 11 carries that a program made with MinGW-w64 and SDL may import.
windows_own=(advapi32 comctl32 comdlg32 gdi32 glu32 imm32 kernel32 msvcrt ole32 oleaut32 opengl32
  setupapi shell32 shlwapi user32 uuid version winmm ws2_32)
headers=$("$objdump" -p "$exe")
found=$(sed -n 's/^Subsystem[[:space:]]*0*\([0-9]*\).*/\1/p' <<<"$headers")
[ "$found" = "$subsystem" ] || { echo "$exe: subsystem $found, not $subsystem" >&2; exit 1; }
status=0
for dll in $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers"); do
  printf '%s\n' "${windows_own[@]}" | grep -qixF "${dll%.*}" ||
    { echo "$exe needs $dll, which Windows does not carry" >&2; status=1; }
done
[ "$status" = 0 ] && echo "$(basename "$exe"): subsystem $found, Windows' own DLLs only"
exit "$status"
