#pragma once
// The envelope graph's curves as the IR object last published them, kept for
// an editor to take on its own thread: the IR object feeds this (on the
// thread that loads or shapes), and the editor's idle replays it into its
// graph when the version moved. Nothing here touches a view.
//
// Only while an editor is open does its owner keep one (the curves of a
// full-length IR take 1.5 MiB); the memory goes with it.
#include "ir/EnvelopeSink.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ir {

class EnvelopeRecording final : public EnvelopeSink {
public:
    // The rate the graph's time axis reads in.
    explicit EnvelopeRecording(int graphSampleRate);

    // EnvelopeSink, from the IR object's thread.
    int graphSampleRate() const override { return graphSampleRate_; }
    void setTimeRange(float ms) override;
    void setSamplesInRange(float samples) override;
    int setCurve(int slot, const float* values, int count, const char* label, CurveColour colour) override;
    int setEnvelopeCurve(int slot, const float* left, const float* right, CurveColour colour) override;
    void redraw() override;

    // Forgets every curve and frees their memory.
    void clear();

    // Raised by every feed and redraw.
    std::uint64_t version() const { return version_.load(std::memory_order_acquire); }
    // Hands every recorded feed to `graph` in the order the slots were
    // last fed; answers the version replayed.
    std::uint64_t replayInto(EnvelopeSink& graph) const;

private:
    struct Slot {
        enum class Kind { None, Curve, Envelope } kind = Kind::None;
        std::vector<float> first;   // the curve, or the left channel
        std::vector<float> second;  // the right channel of an envelope curve
        std::string label;
        CurveColour colour;
    };
    void bump() { version_.fetch_add(1, std::memory_order_acq_rel); }

    const int graphSampleRate_;
    mutable std::mutex mutex_;
    float timeRangeMs_ = -1.0f;
    float samplesInRange_ = -1.0f;
    Slot slots_[kSlotCount];
    std::atomic<std::uint64_t> version_{0};
};

} // namespace ir
