#!/usr/bin/env bash
# Draws the three sample skins under assets/skins/ with ImageMagick: for each a folder holding its .QSK
# file and its four pictures at the built-in sizes (translate 71x15, pair selector 153x15, menu 17x15,
# status 123x25). The committed files are this script's output; run it again after a change.
# No text is drawn: the program lays its captions over the pictures in the colours the .QSK names.
set -euo pipefail
out="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/assets/skins}"

# piece FILE WIDTH HEIGHT TOP BOTTOM FRAME HIGHLIGHT SHADE [ARROW]
# A face shaded from TOP to BOTTOM, a 1-pixel FRAME, and a lighter top/left and darker bottom/right
# inner edge for a slightly raised look; with ARROW, the menu button's downward arrow in that colour,
# where the built-in picture has it. The format follows the file's extension.
piece() {
    local file=$1 width=$2 height=$3 top=$4 bottom=$5 frame=$6 highlight=$7 shade=$8
    local extra=()
    if [ $# -ge 9 ]; then extra=(-stroke none -fill "$9" -draw "polygon 5,6 11,6 8,9"); fi
    local format=GIF colours=(-dither None -colors 64)
    if [[ $file == *.png ]]; then format=PNG24 colours=(); fi
    convert -size "${width}x${height}" "gradient:${top}-${bottom}" +antialias \
        -fill none -stroke "$shade" -draw "line $((width - 2)),1 $((width - 2)),$((height - 2))" \
        -draw "line 1,$((height - 2)) $((width - 2)),$((height - 2))" \
        -stroke "$highlight" -draw "line 1,1 $((width - 3)),1" -draw "line 1,1 1,$((height - 3))" \
        -stroke "$frame" -draw "rectangle 0,0 $((width - 1)),$((height - 1))" \
        "${extra[@]}" \
        "${colours[@]}" +repage -strip "$format:$file"
}

# colour '#RRGGBB': the number a .QSK holds for it, red + 256 * green + 65536 * blue.
colour() {
    local hex=${1#\#}
    echo $((16#${hex:0:2} + 256 * 16#${hex:2:2} + 65536 * 16#${hex:4:2}))
}

# skin FOLDER TITLE EXTENSION PAIR_TEXT TRANSLATE_TEXT STATUS_TEXT: the .QSK file, laid out as the skin
# designer writes it (a blank before each colour number), with CR LF line ends.
skin() {
    local folder=$1 title=$2 ext=$3
    printf '%s\r\n' "[Details]" "menufile=menu.$ext" "selectfile=select.$ext" "SelectCol= $(colour "$4")" \
        "translateFile=translate.$ext" "translateCol= $(colour "$5")" "statusFile=status.$ext" \
        "StatusCol= $(colour "$6")" "[Skin]" "title=$title" >"$out/$folder/$folder.QSK"
}

# Midnight: slate faces, a deep blue translate button, pale text.
d="$out/Midnight"
mkdir -p "$d"
piece "$d/translate.gif" 71 15 '#3d7bb8' '#1f4f80' '#0e2238' '#6aa2d8' '#173a5e'
piece "$d/select.gif" 153 15 '#454e5c' '#2a3039' '#101318' '#626d7d' '#22272e'
piece "$d/menu.gif" 17 15 '#454e5c' '#2a3039' '#101318' '#626d7d' '#22272e' '#e6edf5'
piece "$d/status.gif" 123 25 '#39414d' '#232830' '#101318' '#566070' '#1c2026'
skin Midnight "Midnight" gif '#e6edf5' '#ffffff' '#cfe3f7'

# Daylight: warm paper faces with a sand frame, a fresh green translate button, dark text (PNG pictures).
d="$out/Daylight"
mkdir -p "$d"
piece "$d/translate.png" 71 15 '#eaf7e6' '#b7e0ab' '#6f9a62' '#ffffff' '#9ccb8e'
piece "$d/select.png" 153 15 '#fffef9' '#efe7d6' '#b5a27f' '#ffffff' '#ddd1b8'
piece "$d/menu.png" 17 15 '#fffef9' '#efe7d6' '#b5a27f' '#ffffff' '#ddd1b8' '#5a4a2c'
piece "$d/status.png" 123 25 '#fffef9' '#f3eddf' '#b5a27f' '#ffffff' '#e3d9c4'
skin Daylight "Daylight" png '#2e2618' '#1d4a16' '#3a3020'

# High Contrast: black faces with white frames, yellow for what acts (translate, the menu arrow).
d="$out/HighContrast"
mkdir -p "$d"
piece "$d/translate.gif" 71 15 '#000000' '#000000' '#ffff00' '#000000' '#000000'
piece "$d/select.gif" 153 15 '#000000' '#000000' '#ffffff' '#000000' '#000000'
piece "$d/menu.gif" 17 15 '#000000' '#000000' '#ffffff' '#000000' '#000000' '#ffff00'
piece "$d/status.gif" 123 25 '#000000' '#000000' '#ffffff' '#000000' '#000000'
skin HighContrast "High Contrast" gif '#ffffff' '#ffff00' '#ffffff'
