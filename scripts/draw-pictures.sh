#!/usr/bin/env bash
# Draws the built-in pictures (toolbar buttons, status-window background) and the program icon with
# ImageMagick. The committed files under assets/ are this script's output; run it again after a change.
# No text is drawn: the program lays its captions over the pictures.
set -euo pipefail
out="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/assets}"
mkdir -p "$out"

border='#6b7d92'      # 1-px frame of every piece
highlight='#ffffff'   # inner top/left edge, for a slightly raised look
shade='#b3bfcd'       # inner bottom/right edge

# button FILE WIDTH HEIGHT TOP_COLOUR BOTTOM_COLOUR [extra -draw arguments...]
button() {
    local file=$1 width=$2 height=$3 top=$4 bottom=$5
    shift 5
    convert -size "${width}x$((height - 2))" "gradient:${top}-${bottom}" \
        -bordercolor "$highlight" -border 0x1 -gravity north -chop 0x1 -gravity south -splice 0x1 \
        -gravity center +antialias \
        -fill none -stroke "$shade" -draw "line $((width - 2)),1 $((width - 2)),$((height - 2))" \
        -draw "line 1,$((height - 2)) $((width - 2)),$((height - 2))" \
        -stroke "$highlight" -draw "line 1,1 $((width - 3)),1" -draw "line 1,1 1,$((height - 3))" \
        -stroke "$border" -draw "rectangle 0,0 $((width - 1)),$((height - 1))" \
        "$@" \
        -dither None -colors 64 +repage -strip "GIF:$out/$file"
}

# Translate: the action, a soft blue; pair selector and menu: neutral; status: a calm off-white.
button translate.gif 71 15 '#f3f8fe' '#bcd2ec'
button select.gif 153 15 '#fbfcfd' '#d6dde6'
button menu.gif 17 15 '#fbfcfd' '#d6dde6' \
    -stroke none -fill '#2b3a4c' -draw "polygon 5,6 11,6 8,9"
button status.gif 123 25 '#fefefc' '#e2e6ec'

# Program icon: two overlapping speech bubbles (one language answered by another), 16 and 32 pixels,
# 256 colours.
bubbles() {
    local size=$1 s
    s=$(awk "BEGIN { print $size / 32 }")
    convert -size "${size}x${size}" xc:none -draw "scale $s,$s
        fill '#e8913a' stroke '#9c5614' stroke-width 1.2
        roundrectangle 12.5,2.5 30.5,16.5 4,4  polygon 24,16 28,21 20,16
        fill '#2f6db5' stroke '#173d6b'
        roundrectangle 1.5,9.5 23.5,25.5 4,4  polygon 6,25 5,30.5 12,25
        stroke '#ffffff' stroke-width 2 line 6,15 19,15  line 6,20 15,20" \
        -colors 255 "PNG32:$out/.icon-$size.png"
}
bubbles 16
bubbles 32
convert "$out/.icon-16.png" "$out/.icon-32.png" -strip "ICO:$out/quillmar.ico"
rm -f "$out/.icon-16.png" "$out/.icon-32.png"
