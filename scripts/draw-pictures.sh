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

# The designer's pickers: a folder (19 x 17) opens a picture, a painter's palette (17 x 16) a colour.
convert -size 19x17 xc:none +antialias -stroke '#8a6212' -fill '#e9b949' \
    -draw "polygon 1,3 7,3 9,5 17,5 17,15 1,15" -fill '#f6d77e' -draw "polygon 1,15 4,8 18,8 17,15" \
    -type PaletteAlpha -strip "GIF:$out/folder.gif"
convert -size 17x16 xc:none +antialias -stroke '#6e4b24' -fill '#d9a867' \
    -draw "ellipse 8,8 7,6 0,360" -stroke none \
    -fill '#d63a2f' -draw "rectangle 4,4 5,5" -fill '#2f6db5' -draw "rectangle 8,3 9,4" \
    -fill '#3c9a3c' -draw "rectangle 11,6 12,7" -fill '#f2d13a' -draw "rectangle 4,8 5,9" \
    -fill white -draw "ellipse 10,11 2,1 0,360" \
    -type PaletteAlpha -strip "GIF:$out/palette.gif"

# Program icon: two overlapping speech bubbles (one language answered by another), at every size the
# system asks for from 100 to 200 %: 16, 20, 24, 32 and 48 pixels, 32-bit with alpha. 16 and 32 are drawn
# pixel by pixel, without smoothing; 20, 24 and 48 are the 32-pixel drawing made at 4x with smoothing and
# reduced, so their edges are soft rather than jagged. The light top-to-bottom shading gives some depth.
orange='#e8913a' orangeEdge='#9c5614' blue='#2f6db5' blueEdge='#173d6b'
bubbles32() {  # $1: scale of the 32-pixel drawing, $2: +antialias or -antialias, $3: output
    local side=$((32 * $1))
    convert -size ${side}x${side} xc:none "$2" -strokewidth "$1" -stroke "$orangeEdge" -fill "$orange" \
        -draw "scale $1,$1 roundrectangle 12,2 30,16 4,4" -draw "scale $1,$1 polygon 20,16 27,22 25,16" \
        -stroke none -draw "scale $1,$1 line 21,16 25,16" \
        -stroke "$blueEdge" -fill "$blue" -draw "scale $1,$1 roundrectangle 1,9 23,25 4,4" \
        -draw "scale $1,$1 polygon 5,25 5,30 11,25" -stroke none -draw "scale $1,$1 line 6,25 9,25" \
        -fill white -draw "scale $1,$1 rectangle 6,14 18,15" -draw "scale $1,$1 rectangle 6,19 14,20" \
        \( -size ${side}x${side} gradient:'#ffffff'-'#cfcfcf' \) -channel RGB -compose Multiply -composite +channel \
        "PNG32:$3"
}
bubbles32 1 +antialias "$out/.icon-32.png"
bubbles32 4 -antialias "$out/.icon-128.png"
for side in 20 24 48; do
    convert "$out/.icon-128.png" -filter Lanczos -resize ${side}x${side} "PNG32:$out/.icon-$side.png"
done
convert -size 16x16 xc:none +antialias -stroke "$orangeEdge" -fill "$orange" \
    -draw "roundrectangle 6,1 15,8 2,2" -draw "polygon 10,8 13,11 12,8" \
    -stroke "$blueEdge" -fill "$blue" -draw "roundrectangle 0,4 11,12 2,2" -draw "polygon 2,12 2,15 5,12" \
    -stroke none -fill white -draw "rectangle 3,7 8,7" -draw "rectangle 3,9 6,9" \
    \( -size 16x16 gradient:'#ffffff'-'#cfcfcf' \) -channel RGB -compose Multiply -composite +channel \
    "PNG32:$out/.icon-16.png"
convert "$out/.icon-16.png" "$out/.icon-20.png" "$out/.icon-24.png" "$out/.icon-32.png" "$out/.icon-48.png" \
    -type TrueColorAlpha -strip "ICO:$out/quillmar.ico"
rm -f "$out"/.icon-*.png
