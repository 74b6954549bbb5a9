#!/bin/sh
# `bvxtool import` of a generated signature database of 1 000 000 signatures
# (a .cvd: header, gzip, tar of a .hdb and a .ndb) against `bvxtool make` of
# the same definitions (the imported base listed back), in one run. Wine and
# its server are pinned to one CPU. Goal: import at most 1.5x make.
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/bvxbench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bases" "$work/made"

python3 - "$work/daily.cvd" <<'PY'
import gzip, hashlib, io, sys, tarfile
hdb = io.StringIO()
for i in range(800000):
    hdb.write("%s:%d:Bench.Hash.%d\n" % (hashlib.md5(b"%d" % i).hexdigest(), 1000 + i, i))
ndb = io.StringIO()
for i in range(150000):
    ndb.write("Bench.Body.%d:0:*:%08x4d5a%08x\n" % (i, i * 2654435761 % 2**32, i))
for i in range(50000):
    ndb.write("Bench.Offset.%d:0:%d:%08x\n" % (i, i % 4096, i * 40503 % 2**32))
archive = io.BytesIO()
with tarfile.open(fileobj=archive, mode="w", format=tarfile.USTAR_FORMAT) as tar:
    for name, text in (("daily.hdb", hdb.getvalue()), ("daily.ndb", ndb.getvalue())):
        data = text.encode()
        info = tarfile.TarInfo(name)
        info.size = len(data)
        tar.addfile(info, io.BytesIO(data))
payload = gzip.compress(archive.getvalue(), compresslevel=6, mtime=0)
header = ("ClamAV-VDB:11 Dec 2026 03-00 +0000:27000:1000000:90:%s:bench:bench:1796958000"
          % hashlib.md5(payload).hexdigest()).encode().ljust(512, b" ")
with open(sys.argv[1], "wb") as out:
    out.write(header + payload)
PY

. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bvxtool.exe"
wine_server_start --pinned
run() { taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bvxtool.exe" "$@"; }
seconds() {
    start=$(date +%s.%N)
    "$@" >"$work/last.txt" 2>&1 || { cat "$work/last.txt" >&2; exit 1; }
    end=$(date +%s.%N)
    awk "BEGIN { printf \"%.2f\", $end - $start }"
}
import_time=$(seconds run import --out "Z:$work/bases" "Z:$work/daily.cvd")
grep -F "daily.bvx:" "$work/last.txt" | sed 's/^ *//'
run list "Z:$work/bases/daily.bvx" >"$work/daily.list"
make_time=$(seconds run make "Z:$work/daily.list" "Z:$work/made/daily.bvx")
cmp -s "$work/bases/daily.bvx" "$work/made/daily.bvx" ||
    { echo "the imported base and the made one differ" >&2; exit 1; }
echo "database file: $(stat -c %s "$work/daily.cvd") bytes; definition list: $(stat -c %s "$work/daily.list") bytes"
echo "bvxtool import of 1000000 signatures: $import_time s"
echo "bvxtool make of the same definitions: $make_time s"
echo "import / make: $(awk "BEGIN { printf \"%.2f\", $import_time / $make_time }") (goal <= 1.5)"
wine_server_stop
