#pragma once
// A colour as red, green, blue and alpha bytes. Drawing uses the first three;
// alpha is carried along for the callers that state it.

struct CColor {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    unsigned char alpha = 255;

    bool operator==(const CColor& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }
};

constexpr CColor kBlackCColor = {0, 0, 0, 255};
constexpr CColor kWhiteCColor = {255, 255, 255, 255};
constexpr CColor kGreyCColor = {127, 127, 127, 255};
constexpr CColor kRedCColor = {255, 0, 0, 255};
constexpr CColor kGreenCColor = {0, 255, 0, 255};
constexpr CColor kBlueCColor = {0, 0, 255, 255};
