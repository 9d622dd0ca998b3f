#pragma once
// What the effect's wet path makes of a unit impulse: the output one frame
// after the dry impulse returns (65536 + 1 frames in), read through the
// effect record as a host would. Resumes the effect first, which clears every
// signal history, so repeated calls measure alike.
#include "vst/VstInterface.h"

#include <algorithm>
#include <vector>

inline float wetAfterImpulse(vst::AEffect* record)
{
    record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> l(512), r(512);
    float* io[2] = {l.data(), r.data()};
    float result = 0.0f;
    for (int call = 0; call < 130; ++call) {
        std::fill(l.begin(), l.end(), 0.0f);
        std::fill(r.begin(), r.end(), 0.0f);
        if (call == 0)
            l[0] = r[0] = 1.0f;
        record->processReplacing(record, io, io, 512);
        if (call == 128)
            result = l[1]; // dry at frame 65536, wet one frame later
    }
    return result;
}
