#pragma once
// Where the editor puts each parameter's control: the kind of control, its
// bitmaps and position, and the offsets of its label and value display. What
// the parameter itself is (name, range, value text) is in params/.
#include <cstdint>

namespace editor {

// Control kinds.
constexpr std::int32_t kControlNone = 0;
constexpr std::int32_t kControlKnob = 1;
constexpr std::int32_t kControlAnimKnob = 2;
constexpr std::int32_t kControlVerticalSlider = 3;
constexpr std::int32_t kControlOnOffButton = 4;
constexpr std::int32_t kControlKickButton = 5;
constexpr std::int32_t kControlRockerSwitch = 6;
constexpr std::int32_t kControlOptionMenu = 7;
constexpr std::int32_t kControlTextLabel = 8;
constexpr std::int32_t kControlFrequencyGraph = 9;
constexpr std::int32_t kControlEnvelopeGraph = 10;

struct ControlRecord {
    std::int32_t id;             // parameter id and control tag; several records share 0
    const char* name;            // the record's identity; null only in the terminator
    std::int32_t kind;           // kControl...
    std::int32_t bitmapId;       // <= 0: none
    std::int32_t secondBitmapId; // <= 0: none
    std::int32_t x;
    std::int32_t y;
    bool nameLabelShown;
    std::int32_t labelDx;
    std::int32_t labelDy;
    bool valueDisplayShown;      // the text comes from the parameter's formatter
    std::int32_t displayDx;
    std::int32_t displayDy;
    const char* optionText;
};

// 25 records in creation order, then the terminator (id -1, null name).
constexpr int kControlRecordCount = 25;
extern const ControlRecord kControlLayout[kControlRecordCount + 1];

} // namespace editor
