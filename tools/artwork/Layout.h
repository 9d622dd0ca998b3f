#pragma once
// Where each bitmap sits in the 712 x 386 editor window, mirroring the
// parameter table's control positions.
namespace artwork {

constexpr int kWindowWidth = 712;
constexpr int kWindowHeight = 386;

struct Spot {
    int x, y;
};

struct KnobPlace {
    const char* caption;
    int x, y;
};

// Strip 11021: 55 x 55 frames.
constexpr KnobPlace kShapeKnobs[] = {
    {"Stretch", 30, 210},   {"Decay", 90, 210},     {"Damping", 150, 210}, {"Gate", 210, 210},
    {"PreDelay", 30, 295},  {"St.Inputs", 90, 295}, {"St.Width", 150, 295}, {"St.Balance", 210, 295},
};
// Strip 11020: 33 x 33 frames.
constexpr KnobPlace kFilterKnobs[] = {
    {"HPF", 300, 311}, {"BAL", 350, 311}, {"LPF", 400, 311},
};
// Strip 11022: 81 x 81 frames.
constexpr KnobPlace kLevelKnobs[] = {
    {"DRY", 465, 270}, {"WET", 555, 270},
};

// The value display hangs directly under a knob, 2 pixels wider on each side, 11 high.
constexpr int kDisplayHeight = 11;

constexpr Spot kWebSearch{600, 15};
constexpr Spot kFileSelect{600, 35};
constexpr Spot kCopyToLocal{600, 55};
constexpr Spot kReset{627, 165};
constexpr Spot kBypass{605, 106};
constexpr Spot kHpfSwitch{296, 285};
constexpr Spot kBalSwitch{346, 285};
constexpr Spot kLpfSwitch{396, 285};
constexpr Spot kBoost{636, 328};
constexpr Spot kResponseGraph{287, 205};
constexpr Spot kEnvelopeGraph{32, 8};

// Plot areas inside the graph bitmaps (bitmap coordinates, right/bottom exclusive),
// where the editor draws its grids and curves.
struct Box {
    int left, top, right, bottom;
};
constexpr Box kEnvelopePlot{51, 55, 535, 162};
constexpr Box kResponsePlot{24, 10, 153, 64};

} // namespace artwork
