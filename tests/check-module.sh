#!/bin/sh
# The DLL as the host and a user's machine see it: an i386 module exporting
# exactly SetStartupInfo, GetPluginInfo and OpenPlugin under their plain
# names, importing from system DLLs only.
set -u
objdump=$1 module=$2
fail=0
headers=$("$objdump" -p "$module") || exit 1

"$objdump" -f "$module" | grep -q 'file format pei-i386' || {
    echo "not an i386 module"; fail=1; }

exports=$(printf '%s\n' "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
[ "$exports" = "GetPluginInfo OpenPlugin SetStartupInfo " ] || {
    echo "exports: $exports"; fail=1; }

for dll in $(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll | advapi32.dll | msvcrt.dll | user32.dll | ntdll.dll) ;;
    *) echo "imports from $dll, which is no system DLL"; fail=1 ;;
    esac
done
[ $fail -eq 0 ] && echo "module: i386; exports: $exports; imports: system DLLs only"
exit $fail
