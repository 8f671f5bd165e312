// The colour of a table closest to a given colour, by a distance that weighs hue.
#include "toolbox/ui/ui_services.h"

#include <cstdint>

namespace {

// 3 x (dr^2 + dg^2 + db^2) + (dg - dr)^2 + (db - dr)^2 + (db - dg)^2, where d is the colour
// minus the entry per channel: the first part is the distance, the second how differently the
// channels moved, which is what changes the hue. At most 1 380 825, so it fits 32 bits.
uint32_t ColorDistance(int a, int b) {
    int dr = ((a >> 16) & 0xFF) - ((b >> 16) & 0xFF);
    int dg = ((a >> 8) & 0xFF) - ((b >> 8) & 0xFF);
    int db = (a & 0xFF) - (b & 0xFF);
    return static_cast<uint32_t>(3 * (dr * dr + dg * dg + db * db) + (dg - dr) * (dg - dr) + (db - dr) * (db - dr) +
                                 (db - dg) * (db - dg));
}

}  // namespace

extern "C" int FindClosestColorInTable(int color, const int *colorTable, int numberOfColors) {
    // An empty table has no closest colour: -1, which no table index can be.
    if (!colorTable || numberOfColors < 1) return -1;
    int best = 0;
    uint32_t bestDistance = UINT32_MAX;
    for (int i = 0; i < numberOfColors; ++i) {
        uint32_t distance = ColorDistance(color, colorTable[i]);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0) break;
        }
    }
    return best;
}
