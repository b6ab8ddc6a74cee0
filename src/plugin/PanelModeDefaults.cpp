#include "plugin/PanelModeDefaults.h"

// LN = position, N = path (O: without the folder, R: right-aligned), Z = title,
// O = length, C0..C5 = tag title, artist, album, year, comment, genre.
const PanelModeDefault DefaultPanelModes[kPanelModesNumber] = {
    {"LN,NO,Z", "4,0,0", "Z", "0", 0, 0, 1},
    {"LN,NO,NO,LN", "4,0,0,4", "NOR", "0", 0, 0, 1},
    {"LN,NO", "4,0", "NOR", "0", 0, 0, 1},
    {"LN,NR", "4,0", "N", "0", 0, 0, 0},
    {"LN,Z,O", "4,0,5", "NO", "0", 0, 0, 1},
    {"LN,C0,C1,C2,C3,C5", "4,0,0,0,4,10", "N", "0", 1, 0, 0},
    {"LN,Z", "4,0", "NO", "0", 0, 0, 0},
    {"LN,Z,O", "4,0,5", "N", "0", 1, 0, 0},
    {"LN,NO,Z,O", "4,0,0,5", "N", "0", 1, 0, 1},
    {"LN,N", "4,0", "NOR", "0", 1, 0, 1},
};
