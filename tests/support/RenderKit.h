#pragma once
// Rendering through effect instances as a host does: instances made like the
// entry point makes them, an IR chosen through the path parameters, and a
// render of a fixed input with parameter changes at given frames.
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "shell/DOvu.h"
#include "support/ReliabilityKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace renderkit {

// A host that renders offline, and one that plays in real time.
inline vst::IntPtr offlineHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    if (opcode == vst::audioMasterGetCurrentProcessLevel)
        return vst::kVstProcessLevelOffline;
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

inline vst::IntPtr realtimeHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    if (opcode == vst::audioMasterGetCurrentProcessLevel)
        return vst::kVstProcessLevelRealtime;
    return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Closes the effect through its dispatcher, as the host does.
struct EffectCloser {
    void operator()(DOvu* effect) const
    {
        vst::AEffect* record = effect->getAeffect();
        record->dispatcher(record, vst::effClose, 0, 0, nullptr, 0.0f);
    }
};
using Effect = std::unique_ptr<DOvu, EffectCloser>;

inline Effect makeEffect(vst::HostCallback host, float rate)
{
    Effect effect(new DOvu(host));
    vst::AEffect* record = effect->getAeffect();
    record->dispatcher(record, vst::effSetSampleRate, 0, 0, nullptr, rate);
    record->dispatcher(record, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    return effect;
}

using State = std::array<float, param::kNumParams>;

// The 104 values a host saves: the defaults, `changes` on top, and `irPath`
// in the path parameters.
inline State savedState(const std::string& irPath, const std::vector<std::pair<int, float>>& changes = {})
{
    State s{};
    for (int id = 0; id < param::kNumParams; ++id)
        s[id] = static_cast<float>(param::normalisedDefault(id));
    for (const auto& change : changes)
        s[change.first] = change.second;
    EXPECT_TRUE(param::encodePathToParams(irPath.c_str(), s.data() + param::kPathFirst));
    s[param::kPathCommit] = 1.0f;
    return s;
}

// As a host restores a project: ids 0..103 in ascending order.
inline void restore(DOvu& effect, const State& s)
{
    vst::AEffect* record = effect.getAeffect();
    for (int id = 0; id < param::kNumParams; ++id)
        record->setParameter(record, id, s[id]);
}

// A new instance with `s` restored and all the work of the restore done.
inline Effect restoredEffect(vst::HostCallback host, float rate, const State& s)
{
    Effect effect = makeEffect(host, rate);
    restore(*effect, s);
    effect->finishPendingWork();
    return effect;
}

// A parameter change at a given frame of a render.
struct Change {
    long frame;
    int id;
    float value;
};

struct Stereo {
    std::vector<float> left, right;
};

inline Stereo noiseInput(long frames, std::uint32_t start = 3u)
{
    reliability::Noise noise(start);
    Stereo in{std::vector<float>(static_cast<size_t>(frames)), std::vector<float>(static_cast<size_t>(frames))};
    noise.fill(in.left.data(), static_cast<int>(frames), 0.3f);
    noise.fill(in.right.data(), static_cast<int>(frames), 0.3f);
    return in;
}

// Runs `in` through the effect in calls of at most `callFrames`, each change
// set right before the call that starts at its frame (calls end there).
inline Stereo render(DOvu& effect, const Stereo& in, int callFrames, std::vector<Change> changes = {})
{
    std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.frame < b.frame; });
    vst::AEffect* record = effect.getAeffect();
    const long total = static_cast<long>(in.left.size());
    Stereo out{std::vector<float>(in.left.size()), std::vector<float>(in.right.size())};
    std::vector<float> inL(static_cast<size_t>(callFrames)), inR(inL.size());
    size_t next = 0;
    for (long at = 0; at < total;) {
        while (next < changes.size() && changes[next].frame <= at) {
            record->setParameter(record, changes[next].id, changes[next].value);
            ++next;
        }
        long end = std::min(total, at + callFrames);
        if (next < changes.size())
            end = std::min(end, changes[next].frame);
        const int n = static_cast<int>(end - at);
        std::copy(in.left.begin() + at, in.left.begin() + end, inL.begin());
        std::copy(in.right.begin() + at, in.right.begin() + end, inR.begin());
        float* inputs[2] = {inL.data(), inR.data()};
        float* outputs[2] = {out.left.data() + at, out.right.data() + at};
        record->processReplacing(record, inputs, outputs, n);
        at = end;
    }
    return out;
}

// The largest difference between two renders, and the largest sample of the first.
inline float largestDifference(const Stereo& a, const Stereo& b)
{
    float worst = 0.0f;
    for (size_t i = 0; i < a.left.size(); ++i) {
        worst = std::max(worst, std::fabs(a.left[i] - b.left[i]));
        worst = std::max(worst, std::fabs(a.right[i] - b.right[i]));
    }
    return worst;
}

inline float peak(const Stereo& a)
{
    float p = 0.0f;
    for (size_t i = 0; i < a.left.size(); ++i)
        p = std::max({p, std::fabs(a.left[i]), std::fabs(a.right[i])});
    return p;
}

// First frame at which two renders differ, or -1.
inline long firstDifference(const Stereo& a, const Stereo& b)
{
    for (size_t i = 0; i < a.left.size(); ++i)
        if (a.left[i] != b.left[i] || a.right[i] != b.right[i])
            return static_cast<long>(i);
    return -1;
}

} // namespace renderkit
