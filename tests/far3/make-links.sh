#!/bin/sh
# Makes the tree the link test walks, with links Windows programs under Wine
# cannot make: tree/out leads out of the tree, tree/twin to a folder inside
# it, so the host's listing holds outside files and inner/b.txt twice.
set -e
rm -rf "$1"
mkdir -p "$1/tree/inner" "$1/outside"
printf 'a\r\n' >"$1/tree/a.txt"
printf 'b\r\n' >"$1/tree/inner/b.txt"
printf 'c\r\n' >"$1/outside/c.txt"
ln -s ../outside "$1/tree/out"
ln -s inner "$1/tree/twin"
