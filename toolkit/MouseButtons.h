#pragma once
// Mouse-button and modifier bits as the controls see them: the platform's event
// bits under the toolkit's names. With swapped system mouse buttons the physical
// right button already reports as left.
#include "platform/InputEvent.h"

enum CButtonBits : long {
    kLButton = platform::kInputLeft,
    kMButton = platform::kInputMiddle,
    kRButton = platform::kInputRight,
    kShift = platform::kInputShift,
    kControl = platform::kInputControl,
    kAlt = platform::kInputAlt,
    kApple = platform::kInputSuper,  // the fourth modifier (Super on Linux)
};

constexpr long kModifierBits = kShift | kControl | kAlt | kApple;
