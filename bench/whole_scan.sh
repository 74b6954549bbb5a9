#!/bin/sh
# The whole scan of a generated corpus against the floor, with each base, and
# then a peer scanner (ClamAV's clamscan, when installed) given the same
# signatures on the same files. Wine and its server are pinned to one CPU, as
# they are noisy when they bounce between the two; the peer runs natively on
# Linux, pinned to the same CPU.
#
#   WHOLE_SCAN_FILES=N     corpus size (default 12000; at least 315), for a
#                          quick run; each size has its own corpus folder
#   WHOLE_SCAN_CONFIGS=".."  only these bases: empty hex-1 md5-100k md5-1m mixed hex-1m
#   WHOLE_SCAN_PEER=".."   the bases the peer scans (default: mixed hex-1m md5-1m)
#   WHOLE_SCAN_PEER_LIMIT=S  seconds the peer may take per base (default 600);
#                          a peer stopped there is reported with its files done
set -eu
build=$(cd "$1" && pwd)
prefix=$build/wineprefix
root=$(cd "$(dirname "$0")/.." && pwd)
files=${WHOLE_SCAN_FILES:-12000}
configs=${WHOLE_SCAN_CONFIGS:-}
peer_configs=${WHOLE_SCAN_PEER:-mixed hex-1m md5-1m}
peer_limit=${WHOLE_SCAN_PEER_LIMIT:-600}
work=$build/whole-scan
corpus=$work/corpus-$files
mkdir -p "$work"
. "$root/scripts/wine-env"
wine_env "$prefix" "$build/bin/bench_whole_scan.exe"
wine_server_start --pinned
bench() {
    taskset -c 1 "$root/scripts/wine-run" "$prefix" "$build/bin/bench_whole_scan.exe" "$@"
}
status=0
bench generate "$(winpath "$corpus")" "$files" || status=$?
output=$work/run-$files.txt
if [ $status -eq 0 ]; then
    # shellcheck disable=SC2086 # the keys are words
    bench run "$(winpath "$corpus")" $configs >"$output" || status=$?
    cat "$output"
fi

# The peer: the same records as ClamAV signatures, scanned natively.
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
our_figure() { sed -n "s/.*figures key=$1 .*$2=\([0-9.]*\).*/\1/p" "$output" 2>/dev/null | head -n 1; }
if [ $status -ne 0 ]; then
    :
elif ! command -v clamscan >/dev/null 2>&1; then
    echo "peer: clamscan is not installed (apt-get install clamav); peer comparison skipped"
else
    echo "peer: $(clamscan --version) with only the bench's signatures, native on Linux" \
        "(ours runs under Wine), one CPU"
    tiny=$work/peer-tiny.dll
    printf 'nothing' >"$tiny"
    for key in $peer_configs; do
        db=$work/peer-$key-$files
        rm -rf "$db"
        bench peer-db "$(winpath "$corpus")" "$key" "$(winpath "$db")" || { status=1; continue; }
        start=$(now)
        taskset -c 1 clamscan --no-summary -d "$db" "$tiny" >/dev/null 2>&1 || true
        load=$(elapsed "$start" "$(now)")
        start=$(now)
        peer_status=0
        timeout "$peer_limit" taskset -c 1 clamscan --no-summary -r -d "$db" "$corpus" \
            >"$db.found" 2>"$db.errors" || peer_status=$?
        total=$(elapsed "$start" "$(now)")
        if [ "$peer_status" -eq 124 ]; then
            # Each file checked gives one line, OK or FOUND.
            done_files=$(wc -l <"$db.found")
            awk -v k="$key" -v t="$total" -v n="$done_files" -v all="$files" -v s="$(our_figure "$key" scan)" 'BEGIN {
                printf "  %-8s clamscan stopped after %.0f s with %d of %d files checked: about %.0f s for all, %.1fx our scan\n",
                    k, t, n, all, t * all / (n ? n : 1), s ? t * all / (n ? n : 1) / s : 0 }'
            continue
        fi
        sed -n "s|^$corpus/\(.*\): .* FOUND\$|\1|p" "$db.found" | sort >"$db.paths"
        found=$(wc -l <"$db.paths")
        ours_scan=$(our_figure "$key" scan)
        ours_load=$(our_figure "$key" load)
        printf '  %-8s clamscan %7.2f s in all (signatures loaded in %s s, so about %s s of scanning), found %s\n' \
            "$key" "$total" "$load" "$(elapsed "$load" "$total")" "$found"
        if [ -n "$ours_scan" ]; then
            awk -v s="$ours_scan" -v l="$ours_load" -v t="$total" -v d="$load" 'BEGIN {
                printf "           ours: scan %.2f s + load %.2f s = %.2f s in all; clamscan / ours: %.2fx in all, %.2fx scanning\n",
                    s, l, s + l, t / (s + l), (t - d) / s }'
        fi
        if [ "$peer_status" -gt 1 ] || ! cmp -s "$db.paths" "$db.expected"; then
            status=1
            echo "    WRONG: the peer did not find exactly the planted files (exit $peer_status):"
            diff "$db.expected" "$db.paths" | sed 's/^/      /' || true
            head -n 5 "$db.errors" | sed 's/^/      /'
        fi
    done
fi
wine_server_stop
exit $status
