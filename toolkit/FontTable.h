#pragma once
// The fonts every text of the editor is drawn with, by index.

enum CFontId {
    kSystemFont = 0,       // Arial 12, always bold
    kNormalFontVeryBig,    // Arial 18
    kNormalFontBig,        // Arial 14
    kNormalFont,           // Arial 12
    kNormalFontSmall,      // Arial 11
    kNormalFontSmaller,    // Arial 10
    kNormalFontVerySmall,  // Arial 9
    kSymbolFont,           // Symbol 13
    kUIGothicFont,         // MS UI Gothic 9
    kPGothicFont,          // the four Japanese system faces at 9
    kGothicFont,
    kPMinchoFont,
    kMinchoFont,
    kNumFonts
};

struct FontTableEntry {
    const char* face;
    int size;         // pixels
    bool alwaysBold;
};

// The entry for a font index; an index outside the table means the system font.
const FontTableEntry& fontTableEntry(int fontId);
