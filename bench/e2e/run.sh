#!/usr/bin/env bash
# End-to-end benchmark of quolvane-resolve against a loopback server: one resolution
# of a 1 MB and an 8 MB page beside curl piped into grep, a batch of 200 links to a
# server that answers after 100 ms with -j 1 and -j 8, and peak memory. The pages come
# from a small Python server; the batch from the tests' loopback_server (C++), whose
# /slow route answers many requests at once without running out of CPU itself.
# Usage: bench/e2e/run.sh [path to quolvane-resolve]   (default: the release build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
resolve=${1:-$root/build/release/app/cli/quolvane-resolve}
port=${QUOLVANE_BENCH_PORT:-18390}
loopback=${QUOLVANE_BENCH_LOOPBACK:-$root/build/release/tests/loopback_server}
loopback_port=${QUOLVANE_BENCH_LOOPBACK_PORT:-18600}
"$root/scripts/setup" hyperfine curl time python3
[ -x "$resolve" ] || { echo "build quolvane-resolve first (scripts/run builds it)" >&2; exit 1; }
[ -x "$loopback" ] || { echo "build the release suites first (scripts/test builds them)" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; "$loopback" stop --dir "$work/loopback" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
python3 "$here/make_page.py" $((1024 * 1024)) "$work/1mb.html"
python3 "$here/make_page.py" $((8 * 1024 * 1024)) "$work/8mb.html"
python3 "$here/serve.py" "$port" "$work" &
server=$!
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$port/1mb.html" -o /dev/null && break; sleep 0.1; done

base="http://127.0.0.1:$port"
for page in 1mb 8mb; do
  hyperfine -N --warmup 3 --min-runs 20 --export-markdown "$work/$page.md" \
    -n "quolvane-resolve $page" "$resolve $base/$page.html" \
    -n "curl | grep $page" "sh -c \"curl -s $base/$page.html | grep -o -m1 -E 'uri\\\":\\\"[A-Za-z0-9_]{32}'\""
  cat "$work/$page.md"
  /usr/bin/time -v "$resolve" "$base/$page.html" 2>&1 >/dev/null |
    awk -v p="$page" '/Maximum resident/ {print "peak memory " p ": " $6 " kB"}'
done

"$loopback" start --base-port "$loopback_port" --dir "$work/loopback" >/dev/null
page=$(python3 -c 'import urllib.parse; print(urllib.parse.quote("x" * 1000 + "\"uri\":\"v0200fg10000cbenchmarkidentifier0\""))')
for i in $(seq 200); do
  echo "share http://127.0.0.1:$loopback_port/slow?ms=100&n=$i&body=$page"
done >"$work/batch.txt"
hyperfine -N --runs 3 --export-markdown "$work/batch.md" \
  -n "200 links -j 1" "sh -c '$resolve -j 1 < $work/batch.txt > /dev/null'" \
  -n "200 links -j 8" "sh -c '$resolve -j 8 < $work/batch.txt > /dev/null'"
cat "$work/batch.md"
