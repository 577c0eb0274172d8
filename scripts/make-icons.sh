#!/usr/bin/env bash
# Renders the menu icon packaging/icons/luckdial.svg into the PNG sizes the
# hicolor theme installs (committed, so building needs no SVG renderer). Run
# after changing the SVG; needs rsvg-convert (librsvg2-bin).
set -euo pipefail
dir=$(cd "$(dirname "$0")/../packaging/icons" && pwd)
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$dir/luckdial.svg" -o "$dir/luckdial-$size.png"
done
