#!/bin/sh
# A DLL as the host and a user's machine see it:
#   check-module.sh OBJDUMP MODULE FORMAT NAME:POPS...
# a module of the given object format (pei-i386, pei-x86-64) exporting
# exactly the NAMEs under their plain names, each returning as stdcall does
# (popping POPS bytes of arguments; "-" where the convention has no such
# thing), importing from system DLLs only, and naming itself in a version
# resource. A single-byte module also carries its PluginGUID there: today's
# host keeps such a module's identity by it.
set -u
objdump=$1 module=$2 format=$3
shift 3
fail=0
headers=$("$objdump" -p "$module") || exit 1

"$objdump" -f "$module" | grep -q "file format $format\$" || {
    echo "not a $format module"; fail=1; }

exports=$(printf '%s\n' "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected=$(for entry in "$@"; do echo "${entry%%:*}"; done | sort | tr '\n' ' ')
[ "$exports" = "$expected" ] || {
    echo "exports: $exports"; fail=1; }

# stdcall: the callee pops 4 bytes per argument, so each export returns
# with "ret $N".
base=$(printf '%s\n' "$headers" | awk '/^ImageBase/ { print $2 }')
for entry in "$@"; do
    name=${entry%%:*} pops=${entry#*:}
    [ "$pops" = - ] && continue
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
keys="InternalName OriginalFilename FileDescription CompanyName FileVersion ProductVersion"
case " $expected" in *" SetStartupInfo "*) keys="$keys PluginGUID" ;; esac
strings=$(tr -d '\000' <"$module")
for key in $keys; do
    case $strings in *"$key"*) ;; *) echo "no $key in the version resource"; fail=1 ;; esac
done

[ $fail -eq 0 ] && echo "module: $format; exports: $exports; imports: system DLLs only; version resource complete"
exit $fail
