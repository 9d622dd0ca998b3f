#pragma once
// The envelope graph: the loaded IR and the shaped IR as level over time
// (0 to -60 dB over the first 3000 ms), the gate position as a dotted marker,
// and above the plot the IR file's folder, format and name, or a prompt when
// no IR is loaded. The IR object feeds it through ir::EnvelopeSink; a click and
// a drop go to the EnvelopeGraphActions set on it.
//
// The plot sits 51 pixels in from the left, 55 down from the top, 30 in from
// the right and 18 up from the bottom of the view.
#include "editor/CGRAP.h"
#include "ir/EnvelopeSink.h"

#include <atomic>

class EditorEffect;
class EnvelopeGraphActions;

class CENVGRAP : public CGRAP, public ir::EnvelopeSink {
public:
    static constexpr float kDefaultTimeRangeMs = 3000.0f;
    static constexpr int kRawSlot = 0;
    static constexpr int kShapedSlot = 1;
    static constexpr const char* kShapedLabel = "enveloped data -";
    using CGRAP::kSlotCount;

    // effect may be null: the graph then draws nothing and ignores gestures.
    // The time axis starts at 3000 ms at the effect's integer sample rate.
    CENVGRAP(const CRect& size, CBitmap* background, EditorEffect* effect, CControlListener* listener);

    // Samples per second of the time axis (the editor sets 44100); the samples
    // in range follow from the time range.
    void setSampleRate(int rate);
    int sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    // Rate, time range and the samples in range together.
    void setTimeAxis(int rate, float timeRangeMs);
    float timeRange() const { return timeRange_.load(std::memory_order_relaxed); }
    float samplesInRange() const { return sampleSpan(); }

    // Where clicks and drops go; null ignores them.
    void setActions(EnvelopeGraphActions* actions) { actions_ = actions; }
    // A drop's first item (text, or the first file's name): handed to the
    // actions when the graph has an effect. True when it was handed on.
    bool dropItem(const char* item, bool isFileName);

    // ir::EnvelopeSink
    int graphSampleRate() const override { return sampleRate(); }
    void setTimeRange(float ms) override;
    void setSamplesInRange(float samples) override;
    using CGRAP::setCurve;
    int setCurve(int slot, const float* values, int count, const char* label, ir::CurveColour colour) override;
    int setEnvelopeCurve(int slot, const float* left, const float* right, ir::CurveColour colour) override;
    void redraw() override;

    // The shaped curve's shift right, in columns, for the effect's current
    // pre-delay; and the gate marker's frame column.
    int preDelayColumns() const;
    int gateMarkerColumn() const;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    // A drop is welcome while the graph has an effect; its first item goes to dropItem.
    bool acceptsDrop(const CPoint& where) const override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;

protected:
    ~CENVGRAP() override;

private:
    void drawLevelScale(CDrawContext* context);
    void drawTimeScale(CDrawContext* context);
    void drawGateMarker(CDrawContext* context);
    double preDelayMs() const;
    int preDelaySamples() const;

    EditorEffect* effect_;
    EnvelopeGraphActions* actions_ = nullptr;
    // Set by the editor and by the IR object's thread, read while drawing.
    std::atomic<float> timeRange_{kDefaultTimeRangeMs};
    std::atomic<int> sampleRate_;
};
