#!/usr/bin/env bash
# The hostile cases of tests/hostile, measured: for each, what quolvane-resolve
# answered (exit status and the message on standard error), how long it took against
# its bound and its peak memory (/usr/bin/time -v). Starts its own loopback servers.
# Prints a Markdown table (the one in docs/robustness.md).
# Usage: bench/hostile/run.sh [build dir]   (default: build/release; needs
#        app/cli/quolvane-resolve and tests/loopback_server built there)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
resolve=$build/app/cli/quolvane-resolve
server=$build/tests/loopback_server
port=${QUOLVANE_HOSTILE_PORT:-18330}
"$root/scripts/setup" time python3
for program in "$resolve" "$server"; do
  [ -x "$program" ] || { echo "build $program first" >&2; exit 1; }
done

work=$(mktemp -d)
"$server" start --base-port "$port" --dir "$work/loopback" --lifetime 1800 >/dev/null
trap '"$server" stop --dir "$work/loopback"; rm -rf "$work"' EXIT

http=http://127.0.0.1:$port
at() { echo "$1://127.0.0.1:$((port + $2))$3"; }
id=v0200fg10000hostilecase000000042
good="$http/text?body=%7B%22uri%22%3A%22$id%22%7D"
near='uri%22%3A%22aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa%22'  # uri":" + 31 word characters + "
mb20=$((20 * 1024 * 1024))
cap=$((64 * 1024 * 1024 + 1))

# Inputs on standard input.
python3 - "$work" "$good" <<'PY'
import sys
work, good = sys.argv[1], sys.argv[2].encode()
size = 20 * 1024 * 1024
def repeat(unit, n):
    return (unit * (n // len(unit) + 1))[:n]
files = {
    "paste20": repeat("看 ht htt HTT:// ".encode(), size) + b" " + good + b"\n",
    "invalid": b"\xff\xfe\xc0\xaf\x80 " + good + b"\n",
    "nul": b"a\0b\0 " + good + b"\n",
    "wtf8": b"\xed\xa0\x80 " + good + b"\n",
    "cesu8": b"\xed\xa0\xbd\xed\xb8\x80 " + good + b"\n",
    "emoji": "😀🎬 ".encode() + good + " 👍\n".encode(),
    "http20": repeat(b"http ", size) + b"\n",
    "none": b"",
}
for name, data in files.items():
    open(f"{work}/{name}.in", "wb").write(data)
PY

# name | timeout (s) | standard input | address (empty: none)
cases=(
  "20 MB paste, link at the end|15|paste20|"
  "invalid UTF-8 before the link|15|invalid|"
  "NUL bytes before the link|15|nul|"
  "lone surrogate (WTF-8)|15|wtf8|"
  "surrogate pair as CESU-8|15|cesu8|"
  "emoji around the link|15|emoji|"
  "20 MB of bare http words|15|http20|"
  "20 MB of 31-character uri runs|15|none|$http/repeat?unit=$near&size=$mb20"
  "the same, identifier at the end|15|none|$http/repeat?unit=$near&size=$mb20&tail=%22uri%22%3A%22$id%22"
  "body above the cap (Content-Length)|15|none|$http/big?size=$cap"
  "body above the cap (chunked)|15|none|$http/big?chunked=1&size=$cap"
  "body that never ends|15|none|$http/endless"
  "endless redirect loop|15|none|$http/loop"
  "redirect to file:///etc/passwd|15|none|$http/redirect?to=file%3A%2F%2F%2Fetc%2Fpasswd"
  "trickled body|2|none|$(at http 4 /body)"
  "trickled header block|2|none|$(at http 4 /head)"
  "accepts, never answers|2|none|$(at http 5 /)"
  "answers bytes that are not HTTP|2|none|$(at http 6 /)"
  "100 000 header lines|15|none|$http/header-flood?count=100000&length=1"
  "one header line of 1 MB|15|none|$http/header-flood?count=1&length=1048576"
  "TLS handshake fails|2|none|$(at https 7 /)"
  "nothing listening|2|none|$(at http 8 /)"
  "IPv6 loopback [::1]|2|none|http://[::1]:$port/text?body=%7B%22uri%22%3A%22$id%22%7D"
)

echo "| Case | Exit | What the user sees (shortened) | Time (s) | Bound (s) | Peak memory (MB) |"
echo "|---|---|---|---|---|---|"
for entry in "${cases[@]}"; do
  IFS='|' read -r name timeout input address <<<"$entry"
  args=(--timeout "$timeout")
  [ -n "$address" ] && args+=("$address")
  set +e
  /usr/bin/time -v -o "$work/time" "$resolve" "${args[@]}" <"$work/$input.in" >"$work/out" 2>"$work/err"
  status=$?
  set -e
  elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time" |
    awk -F: '{ if (NF == 3) printf "%.2f", $1 * 3600 + $2 * 60 + $3; else printf "%.2f", $1 * 60 + $2 }')
  peak=$(awk '/Maximum resident set size/ {printf "%.0f", $6 / 1024}' "$work/time")
  # The whole exchange is bounded by the sum of its four phase timeouts.
  bound=$((4 * timeout))
  shorten() { head -c "$1" | tr '\n' ' ' | sed -E 's/(127\.0\.0\.1|\[::1\]):[0-9]+/\1:PORT/g; s/port [0-9]+/port PORT/g; s/\|/\\|/g; s/ +$//'; }
  what="out: \`$(shorten 100 <"$work/out")\`"
  [ -s "$work/err" ] && what="$what; err: $(shorten 300 <"$work/err")"
  printf '| %s | %s | %s | %s | %s | %s |\n' "$name" "$status" "$what" "$elapsed" "$bound" "$peak"
done
