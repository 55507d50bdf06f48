#!/bin/sh
# Stands in for the browser that Wine's winebrowser starts: each call writes its
# arguments, each ended by a zero byte, into a file of its own in DIR.
#   record_browser.sh DIR ARGUMENT...
dir=$1
shift
out="$dir/call.$$"
printf '%s\0' "$@" > "$out.part" && mv "$out.part" "$out"
