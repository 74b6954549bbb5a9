#!/bin/sh
# Fixtures of test_container: plain text of several 100 000-byte blocks and
# its container written by the system's bzip2 at block size 1.
set -eu
dir=$1
mkdir -p "$dir"
seq 1 60000 | sed 's/$/ sample definition line/' >"$dir/plain.txt"
bzip2 -1 -c "$dir/plain.txt" >"$dir/plain.txt.bz2"
