#!/usr/bin/env bash
# Renders quolvane.svg into the PNG sizes the window and the desktop use. The PNGs
# are committed, so the build needs no SVG renderer; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" --output "quolvane-$size.png" quolvane.svg
done
