#!/usr/bin/env bash
# Runs write_fault_probe with a file-size limit of 100 KiB and SIGXFSZ
# ignored, on a 200 KB source made before the limit: the rewrite's real
# write fails part-way. Arguments: the Windows program runner (or nothing
# natively), the probe, a scratch folder.
set -euo pipefail
runner=$1 probe=$(realpath "$2") dir=$3
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
awk 'BEGIN { for (i = 0; i < 20000; i++) printf "line %05d\r\n", i }' > big.txt
cp big.txt expected.txt
trap '' XFSZ
ulimit -S -f 100
exec $runner "$probe" big.txt expected.txt
