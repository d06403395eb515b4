#!/bin/sh
# Fails when a program imports a library that the system does not always load from its own
# directory (its known DLLs): such a library could be loaded from the program's folder instead.
# Usage: check-imports.sh objdump program.exe [allowed.dll...]
# Without a list, the allowed libraries are the known DLLs that the installer may use.
set -eu
objdump=$1
program=$2
shift 2
known="kernel32.dll user32.dll gdi32.dll advapi32.dll ole32.dll oleaut32.dll shell32.dll msvcrt.dll"
if [ $# -gt 0 ]; then
    known="$*"
fi

imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
if [ -z "$imports" ]; then
    echo "check-imports: no import table read from $program" >&2
    exit 1
fi
status=0
for dll in $imports; do
    case " $known " in
    *" $dll "*) echo "imports $dll" ;;
    *)
        echo "check-imports: $program imports $dll, which is not among: $known" >&2
        status=1
        ;;
    esac
done
exit $status
