#!/bin/sh
# Differential test of `bvxtool import`: the peer scanner clamscan (run as a
# black box with -d on generated .hdb and .ndb files) and `bvxtool scan` with
# the bases imported from the same files must detect the same files of a
# corpus with planted ones, for every signature the import converts. The
# lists also hold signatures the import leaves out (wildcards, SHA hashes,
# other offsets): their files are left out of the comparison, and the
# import's summary must count them.
#
#   tests/bvxtool/import-differential.sh BUILD
# Exit 77 (skipped) when clamscan is not installed.
set -eu
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v clamscan >/dev/null || { echo "clamscan is not installed: skipped"; exit 77; }
. "$root/scripts/wine-env"
wine_env "$build/wineprefix" "$build/bin/bvxtool.exe"
skip_unless_wine_runs import_differential
work=$(mktemp -d /tmp/bvximportdiff.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/bases"

# The corpus and the signature lists, from one fixed seed. Each planted file
# is named after the signature meant to find it; decoys are near misses.
python3 - "$work" <<'PY'
import hashlib, os, random, sys
work = sys.argv[1]
rng = random.Random(20261211)
corpus = os.path.join(work, "corpus")
def put(name, data):
    with open(os.path.join(corpus, name), "wb") as f:
        f.write(data)
def noise(n):
    return bytes(rng.randrange(256) for _ in range(n))
hdb, ndb, kept = [], [], []
for i in range(40):
    data = noise(rng.randrange(1, 3000))
    name = "Hash.Planted%02d" % i
    hdb.append("%s:%d:%s" % (hashlib.md5(data).hexdigest(), len(data), name))
    put("hash%02d.exe" % i, data); kept.append("hash%02d.exe" % i)
    # A decoy: the same size, one byte changed.
    changed = bytearray(data); changed[-1] ^= 1
    put("hashdecoy%02d.exe" % i, bytes(changed))
for i in range(40):
    body = noise(rng.randrange(4, 60))
    name = "Body.Planted%02d" % i
    ndb.append("%s:0:*:%s" % (name, body.hex()))
    put("body%02d.exe" % i, noise(rng.randrange(0, 5000)) + body + noise(rng.randrange(0, 500)))
    kept.append("body%02d.exe" % i)
    cut = body[:-1] + bytes([body[-1] ^ 0x80])
    put("bodydecoy%02d.exe" % i, noise(100) + cut + noise(100))
for i in range(30):
    body = noise(4)
    offset = rng.randrange(0, 4000)
    name = "Offset.Planted%02d" % i
    ndb.append("%s:0:%d:%s" % (name, offset, body.hex()))
    put("offset%02d.exe" % i, noise(offset) + body + noise(rng.randrange(0, 100)))
    kept.append("offset%02d.exe" % i)
    put("offsetdecoy%02d.exe" % i, noise(offset + 1) + body + noise(10))
# Left out by the import: its files are not compared.
for i in range(5):
    body = noise(8)
    ndb.append("Wild.Left%02d:0:*:%s??%s" % (i, body[:4].hex(), body[5:].hex()))
    put("leftwild%02d.exe" % i, noise(50) + body + noise(50))
    data = noise(100)
    hdb.append("%s:%d:Sha.Left%02d" % (hashlib.sha256(data).hexdigest(), len(data), i))
    put("leftsha%02d.exe" % i, data)
    ndb.append("Ep.Left%02d:0:EOF-4:%s" % (i, body[:4].hex()))
for f, lines in (("hashes.hdb", hdb), ("bodies.ndb", ndb)):
    with open(os.path.join(work, f), "w") as out:
        out.write("\n".join(lines) + "\n")
with open(os.path.join(work, "compared.txt"), "w") as out:
    names = sorted(n for n in os.listdir(corpus) if not n.startswith("left"))
    out.write("\n".join(names) + "\n")
PY

# The peer: every file it reports, among those compared.
clamscan --no-summary --infected -d "$work/hashes.hdb" -d "$work/bodies.ndb" "$work/corpus" \
    >"$work/clamscan.txt" 2>"$work/clamscan.err" || [ $? -eq 1 ] ||
    { cat "$work/clamscan.err" >&2; echo "clamscan failed" >&2; exit 1; }
sed -n 's|^.*/\([^/:]*\): .* FOUND$|\1|p' "$work/clamscan.txt" | grep -v '^left' | sort >"$work/peer.txt"

run() { "$root/scripts/wine-run" "$build/wineprefix" "$build/bin/bvxtool.exe" "$@"; }
run import --out "Z:$work/bases" "Z:$work/hashes.hdb" "Z:$work/bodies.ndb" >"$work/import.txt" 2>&1 ||
    { cat "$work/import.txt" >&2; echo "import failed" >&2; exit 1; }
status=0
run scan --bases "Z:$work/bases" "Z:$work/corpus" >"$work/scan.txt" 2>&1 || status=$?
[ $status -le 1 ] || { cat "$work/scan.txt" >&2; echo "bvxtool scan failed" >&2; exit 1; }
tr -d '\r' <"$work/scan.txt" | sed -n 's|^Found infection in \[.*\\\([^\\]*\)\] - .*$|\1|p' |
    grep -v '^left' | sort >"$work/ours.txt"

fail=0
expected_lines() { grep -c . "$1" || true; }
check() {
    grep -qF "$1" "$work/import.txt" || { echo "the import's summary lacks: $1" >&2; fail=1; }
}
check "hashes.hdb: 40 converted, 5 left out (SHA256 hash: 5)"
check "bodies.ndb: 70 converted, 10 left out (body with wildcards or alternatives: 5, offset other than * or an absolute number: 5)"
planted=$(grep -vc decoy "$work/compared.txt")
if ! diff -u "$work/peer.txt" "$work/ours.txt" >"$work/diff.txt"; then
    echo "clamscan and bvxtool scan detect different files:" >&2
    cat "$work/diff.txt" >&2
    fail=1
fi
# Both must find every planted file and no decoy, or the comparison says little.
if [ "$(expected_lines "$work/peer.txt")" -ne "$planted" ] || grep -q decoy "$work/peer.txt"; then
    echo "clamscan found $(expected_lines "$work/peer.txt") files, $planted planted" >&2
    fail=1
fi
echo "import differential: $(expected_lines "$work/ours.txt") of $(expected_lines "$work/compared.txt") compared files detected by both (planted $planted)"
exit $fail
