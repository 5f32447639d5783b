#!/bin/sh
# The DLL as the host and a user's machine see it: an i386 module exporting
# exactly SetStartupInfo, GetPluginInfo and OpenPlugin under their plain
# names, each returning as stdcall does (popping its own arguments),
# importing from system DLLs only, and naming itself in a version resource
# (today's host shows those names and keeps the module's identity by its
# PluginGUID).
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

# stdcall: the callee pops 4 bytes per argument, so each export returns
# with "ret $N": 4 for SetStartupInfo and GetPluginInfo, 8 for OpenPlugin.
base=$(printf '%s\n' "$headers" | awk '/^ImageBase/ { print $2 }')
for entry in SetStartupInfo:0x4 GetPluginInfo:0x4 OpenPlugin:0x8; do
    name=${entry%%:*} pops=${entry#*:}
    index=$(printf '%s\n' "$headers" | sed -n "s/^[[:space:]]*\[ *\([0-9]*\)\] $name\$/\1/p")
    rva=$(printf '%s\n' "$headers" | sed -n "s/^[[:space:]]*\[ *$index\] +base\[ *[0-9]*\] *\([0-9a-f]*\) Export RVA/\1/p")
    start=$((0x$base + 0x${rva:-0}))
    first=$("$objdump" -d "$module" --start-address=$start --stop-address=$((start + 4096)) |
        grep -m1 -E '\sret' | sed 's/.*\(ret.*\)/\1/' | tr -s ' ')
    [ "$first" = "ret \$$pops" ] || { echo "$name returns with '$first', not 'ret \$$pops'"; fail=1; }
done

for dll in $(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll | advapi32.dll | msvcrt.dll | user32.dll | ntdll.dll) ;;
    *) echo "imports from $dll, which is no system DLL"; fail=1 ;;
    esac
done
# The resource's strings are UTF-16: with the zero bytes gone they read as
# plain text.
strings=$(tr -d '\000' <"$module")
for key in InternalName OriginalFilename FileDescription CompanyName FileVersion ProductVersion PluginGUID; do
    case $strings in *"$key"*) ;; *) echo "no $key in the version resource"; fail=1 ;; esac
done

[ $fail -eq 0 ] && echo "module: i386; stdcall exports: $exports; imports: system DLLs only; version resource complete"
exit $fail
