#!/bin/sh
# Reads a program's import table and fails on any import it does not allow.
#
#   check-imports.sh objdump program dll...
#       The program imports from these libraries only.
#   check-imports.sh --list allowed.imports arch objdump program-or-folder...
#       Every function the programs import appears in allowed.imports, in a group of its
#       library (a group "[name.dll]" holds for every target, "[name.dll arch]" for that one
#       only); a folder stands for every .exe inside it outside CMakeFiles. On i686 the
#       programs also ask for subsystem version 4.0, the highest that Windows 95 and NT 4.0
#       start.
set -eu

# Prints the import table as "library function" lines, the library in lower case; a function
# imported by ordinal only shows as "#ordinal".
imports() { # objdump program
    "$1" -p "$2" | awk '
        /^\tDLL Name: / { dll = tolower($3); next }
        /^\tvma: / { next }
        dll != "" && /^\t[0-9a-f]+\t/ {
            if (NF >= 3) print dll, $3; else print dll, "#" $2
            next
        }
        /^ [0-9a-f]+\t/ || /^$/ { next }
        /^[A-Z]/ { dll = "" }'
}

if [ "${1-}" != "--list" ]; then
    objdump=$1
    program=$2
    shift 2
    allowed=" $* "
    status=0
    found=$(imports "$objdump" "$program" | awk '{print $1}' | sort -u)
    if [ -z "$found" ]; then
        echo "check-imports: no import table read from $program" >&2
        exit 1
    fi
    for dll in $found; do
        case "$allowed" in
        *" $dll "*) echo "imports $dll" ;;
        *)
            echo "check-imports: $program imports $dll, which is not among:$allowed" >&2
            status=1
            ;;
        esac
    done
    exit $status
fi

list=$2
arch=$3
objdump=$4
shift 4

programs=""
for arg in "$@"; do
    if [ -d "$arg" ]; then
        programs="$programs $(find "$arg" -name CMakeFiles -prune -o -name '*.exe' -print | sort)"
    else
        programs="$programs $arg"
    fi
done
if [ -z "$(echo $programs)" ]; then
    echo "check-imports: no program found in $*" >&2
    exit 1
fi

# "library function" for every function the list allows on this target.
allowed=$(awk -v arch="$arch" '
    /^[[:space:]]*(#|$)/ { next }
    /^\[/ {
        gsub(/[][]/, "")
        dll = tolower($1)
        active = (NF == 1 || $2 == arch)
        next
    }
    active { for (i = 1; i <= NF; ++i) print dll, $i }' "$list" | sort -u)

status=0
for program in $programs; do
    table=$(imports "$objdump" "$program" | sort -u)
    if [ -z "$table" ]; then
        echo "check-imports: no import table read from $program" >&2
        status=1
        continue
    fi
    refused=$(printf '%s\n' "$table" | while read -r dll function; do
        printf '%s\n' "$allowed" | grep -qxF "$dll $function" || echo "$dll $function"
    done)
    if [ -n "$refused" ]; then
        echo "check-imports: $program imports what $list does not allow on $arch:" >&2
        printf '  %s\n' "$refused" >&2
        status=1
    else
        echo "$program: $(printf '%s\n' "$table" | wc -l) imports, all allowed"
    fi
    if [ "$arch" = i686 ]; then
        version=$("$objdump" -p "$program" |
            awk '/^MajorSubsystemVersion/ { major = $2 } /^MinorSubsystemVersion/ { minor = $2 }
                 END { print major "." minor }')
        if [ "$version" != "4.0" ]; then
            echo "check-imports: $program asks for subsystem version $version, not 4.0" >&2
            status=1
        fi
    fi
done
exit $status
