#!/bin/sh
# Renders data/icons/falmide.svg into the PNG sizes the desktop looks for
# (data/icons/<size>/falmide.png). The PNGs are committed: run this after
# changing the drawing. Needs ImageMagick's convert.
set -eu
cd "$(dirname "$0")/../data/icons"
for size in 16 32 48 64 128 256; do
    mkdir -p "$size"
    convert -background none -density 288 falmide.svg -resize "${size}x${size}" \
        -strip "PNG32:$size/falmide.png"
done
