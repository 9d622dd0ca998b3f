#pragma once
// Mouse-button and modifier bits as the controls see them. With swapped
// system mouse buttons the physical right button already reports as left.

enum CButtonBits : long {
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
    kApple = 64,  // the fourth modifier (Super on Linux)
};

constexpr long kModifierBits = kShift | kControl | kAlt | kApple;
