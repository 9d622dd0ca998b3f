#include "toolkit/FontTable.h"

namespace {

const FontTableEntry kFonts[kNumFonts] = {
    {"Arial", 12, true},        {"Arial", 18, false},       {"Arial", 14, false},
    {"Arial", 12, false},       {"Arial", 11, false},       {"Arial", 10, false},
    {"Arial", 9, false},        {"Symbol", 13, false},      {"MS UI Gothic", 9, false},
    {"MS P Gothic", 9, false},  {"MS Gothic", 9, false},    {"MS P Mincho", 9, false},
    {"MS Mincho", 9, false},
};

} // namespace

const FontTableEntry& fontTableEntry(int fontId)
{
    if (fontId < 0 || fontId >= kNumFonts)
        fontId = kSystemFont;
    return kFonts[fontId];
}
