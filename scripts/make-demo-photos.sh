#!/usr/bin/env bash
# Regenerates the demo event's participants' photos in demo/照片: text-free
# portrait placeholders (a plain head-and-shoulders silhouette, no face) for
# the first COUNT staff numbers of the demo pool, 1001.jpg onwards, 240x320
# (the cards' 3:4), small JPEGs. The outputs are committed; run this only to
# change them. Needs ImageMagick (apt-get install imagemagick).
#
# Each backdrop is one flat colour of the palette below, chosen by the staff
# number (number % 8); the real-window photo test finds the cards by these
# colours, so keep the two lists alike (tests/app/xvfb/photos.sh).
set -euo pipefail
cd "$(dirname "$0")/../demo"
command -v convert >/dev/null || { echo "missing tool: convert (imagemagick)" >&2; exit 1; }
COUNT=${COUNT:-48}

backdrops=("#3d7fbf" "#c0504d" "#4f9d69" "#8064a2" "#e0a030" "#2aa3a3" "#d46a9f" "#9bbb59")
clothes=("#2b2b2b" "#1f2f4f" "#4a2a2a" "#2f4a3a" "#3a3a55" "#553a2a")
heads=("#f0e6dc" "#e6d3c0" "#d9c2a8" "#c9a98a" "#eadbd0")
hairs=("#1a1a1a" "#3b2a1e" "#5a4030" "#2a2a2a")

rm -rf 照片
mkdir 照片
for ((i = 0; i < COUNT; i++)); do
    n=$((1001 + i))
    bg=${backdrops[$((n % 8))]}
    cloth=${clothes[$(((i * 5 + 1) % ${#clothes[@]}))]}
    head=${heads[$(((i * 3) % ${#heads[@]}))]}
    hair=${hairs[$(((i * 7 + 2) % ${#hairs[@]}))]}
    # Proportions vary a little from person to person.
    hw=$((44 + (i * 13) % 12))   # head half-width
    hh=$((56 + (i * 7) % 10))    # head half-height
    sw=$((96 + (i * 11) % 22))   # shoulder half-width
    cy=$((132 + (i * 5) % 10))   # head centre
    long=$((i % 3 == 0))         # hair down to the shoulders
    hair_draw="ellipse 120,$((cy - 10)) $((hw + 4)),$((hh + 2)) 180,360"
    [ "$long" = 1 ] && hair_draw="roundrectangle $((120 - hw - 8)),$((cy - hh - 4)) $((120 + hw + 8)),$((cy + hh + 18)) 30,30"
    convert -size 240x320 "xc:$bg" \
        -fill "$cloth" -draw "roundrectangle $((120 - sw)),$((cy + hh + 24)) $((120 + sw)),380 60,60" \
        -fill "$head" -draw "rectangle $((120 - 18)),$((cy + hh - 10)) $((120 + 18)),$((cy + hh + 34))" \
        -fill "$hair" -draw "$hair_draw" \
        -fill "$head" -draw "ellipse 120,$((cy + 6)) $hw,$hh 0,360" \
        -strip -quality 82 -sampling-factor 4:2:0 "照片/$n.jpg"
done
du -cb 照片/*.jpg | tail -n1
