#!/usr/bin/env bash
# Runs write_fault_probe with a file-size limit of 100 KiB and SIGXFSZ
# ignored, on a 200 KB source made before the limit: the rewrite's real
# write fails part-way. Arguments: the Windows program runner (or nothing
# natively), the probe, a scratch folder.
set -euo pipefail
runner=$1 probe=$(realpath "$2") dir=$3
# Where 32-bit programs run under qemu's emulator, the emulator takes the
# signal for the limit itself, and the write never just fails.
if [ -n "$runner" ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
    grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 && case "$probe" in *.exe) true ;; *) false ;; esac; then
    echo "skipped: 32-bit Windows programs run under qemu here, which does not pass the file-size limit through"
    exit 77
fi
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
awk 'BEGIN { for (i = 0; i < 20000; i++) printf "line %05d\r\n", i }' > big.txt
cp big.txt expected.txt
trap '' XFSZ
ulimit -S -f 100
exec $runner "$probe" big.txt expected.txt
