#pragma once
// A pointer event of the editor window, free of any window-system types, so
// that tests can script every gesture without a display.
#include <cstdint>

namespace platform {

// Bits of InputEvent::state and InputEvent::button; the toolkit's mouse-button
// bits are these.
enum InputBits : int {
    kInputLeft = 1,
    kInputMiddle = 2,
    kInputRight = 4,
    kInputShift = 8,
    kInputControl = 16,
    kInputAlt = 32,
    kInputSuper = 64,
};

struct InputEvent {
    enum Type { kButtonDown, kButtonUp, kMotion, kWheel, kExpose, kClosed };

    Type type = kMotion;
    int x = 0;                 // pointer position in window pixels (expose: area left)
    int y = 0;                 // (expose: area top)
    int state = 0;             // buttons held and modifiers, as they are after the event
    int button = 0;            // button events: the bit of the button pressed or released
    float wheel = 0.f;         // wheel steps, positive away from the user
    std::uint32_t timeMs = 0;  // event time, milliseconds, wraps around
    int right = 0;             // expose: area right (exclusive)
    int bottom = 0;            // expose: area bottom (exclusive)
};

} // namespace platform
