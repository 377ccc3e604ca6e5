#pragma once

// Resource identifiers shared by Quillmar.rc and the code (plain #defines: windres reads this too).
#define IDI_QUILLMAR 1

#define IDR_PICTURE_TRANSLATE 101
#define IDR_PICTURE_SELECT 102
#define IDR_PICTURE_MENU 103
#define IDR_PICTURE_STATUS 104
#define IDR_PICTURE_FOLDER 105
#define IDR_PICTURE_PALETTE 106
