#!/bin/sh
# Fails when a program imports a DLL outside the KnownDLLs of Windows 7 and
# later, which a DLL planted beside the program could replace.
# usage: check-imports.sh OBJDUMP PROGRAM...
set -eu
objdump=$1
shift
known=" advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll \
rpcrt4.dll sechost.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll "
status=0
for program in "$@"; do
    dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z')
    [ -n "$dlls" ] || { echo "$program: no import table read"; status=1; }
    for dll in $dlls; do
        case "$known" in
        *" $dll "*) ;;
        *) echo "$program imports $dll, which is no KnownDLL"; status=1 ;;
        esac
    done
done
exit $status
