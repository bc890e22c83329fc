#!/usr/bin/env bash
# Checks the binary form of hostkit.dll: PE32 for i386, a DLL with resources, only system DLLs imported.
# The export names are compared with exports/commands.table by HostLink.ExportDirectoryHoldsExactlyTheTable.
set -euo pipefail
dll=${1:?path to hostkit.dll}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
fail() { echo "check-dll: $*" >&2; exit 1; }

header=$("$objdump" -f "$dll")
private=$("$objdump" -p "$dll")
grep -q 'file format pei-i386' <<<"$header" || fail "not a PE32 i386 file"
grep -qx $'\tDLL' <<<"$private" || fail "not a DLL"
"$objdump" -h "$dll" | grep -q '\.rsrc' || fail "no resources (version information)"

imports=$(echo "$private" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for i in $imports; do
  case $i in
    kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|shell32.dll|ole32.dll|oleaut32.dll|comctl32.dll|advapi32.dll|msvcrt.dll|shlwapi.dll) ;;
    *) fail "imports $i, which is not a system DLL" ;;
  esac
done

# The table's rows end in the name; binutils 2.44 (Debian 13) adds a column header and ordinal and hint columns.
exports=$(echo "$private" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/Ordinal +Hint +Name/{next}
  t&&/^[ \t]*\[/{print $NF} t&&!/^[ \t]*\[/{t=0}')
[ -n "$exports" ] || fail "no exports"
echo "check-dll: $(wc -l <<<"$exports") exports, imports: $(echo $imports)"
