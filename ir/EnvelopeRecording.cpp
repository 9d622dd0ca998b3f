#include "ir/EnvelopeRecording.h"

namespace ir {

EnvelopeRecording::EnvelopeRecording(int graphSampleRate) : graphSampleRate_(graphSampleRate) {}

void EnvelopeRecording::setTimeRange(float ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    timeRangeMs_ = ms;
}

void EnvelopeRecording::setSamplesInRange(float samples)
{
    std::lock_guard<std::mutex> lock(mutex_);
    samplesInRange_ = samples;
}

int EnvelopeRecording::setCurve(int slot, const float* values, int count, const char* label, CurveColour colour)
{
    if (slot < 0 || slot >= kSlotCount || values == nullptr || count < 0)
        return -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& s = slots_[slot];
        s.kind = Slot::Kind::Curve;
        s.first.assign(values, values + count);
        s.second.clear();
        s.label = label ? label : "";
        s.colour = colour;
    }
    bump();
    return 0;
}

int EnvelopeRecording::setEnvelopeCurve(int slot, const float* left, const float* right, CurveColour colour)
{
    if (slot < 0 || slot >= kSlotCount || left == nullptr || right == nullptr)
        return -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& s = slots_[slot];
        s.kind = Slot::Kind::Envelope;
        s.first.assign(left, left + kCurveSamples);
        s.second.assign(right, right + kCurveSamples);
        s.label.clear();
        s.colour = colour;
    }
    bump();
    return 0;
}

void EnvelopeRecording::clear()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Slot& s : slots_)
            s = Slot{};
        timeRangeMs_ = -1.0f;
        samplesInRange_ = -1.0f;
    }
    bump();
}

void EnvelopeRecording::redraw()
{
    bump();
}

std::uint64_t EnvelopeRecording::replayInto(EnvelopeSink& graph) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const std::uint64_t replayed = version();
    if (timeRangeMs_ >= 0.0f)
        graph.setTimeRange(timeRangeMs_);
    if (samplesInRange_ >= 0.0f)
        graph.setSamplesInRange(samplesInRange_);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const Slot& s = slots_[slot];
        if (s.kind == Slot::Kind::Curve)
            graph.setCurve(slot, s.first.data(), static_cast<int>(s.first.size()), s.label.c_str(), s.colour);
        else if (s.kind == Slot::Kind::Envelope)
            graph.setEnvelopeCurve(slot, s.first.data(), s.second.data(), s.colour);
    }
    graph.redraw();
    return replayed;
}

} // namespace ir
