#pragma once
// Common base of the editor's two graphs: a control with tag -1 that shows a
// plot over its background bitmap and draws nothing of its own.
//
// It also holds the machinery for level-over-time curves: up to four curve
// slots, each reduced from one value per sample to one point per pixel column
// of the plot. A graph that wants curves gives its plot rectangle and level
// window with setPlot(); until then there are no columns.
//
// Curves are set on the thread that loads or rebuilds the IR while the window
// thread draws, so the slots (and whatever else a derived graph keeps under
// graphMutex()) are only touched with that mutex held.
#include "toolkit/CColor.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class CGRAP : public CControl {
public:
    static constexpr int kSlotCount = 4;
    // Curve labels keep at most this many characters (plus the terminator).
    static constexpr int kLabelLength = 255;
    // Level of a magnitude at or below the smallest normal float.
    static constexpr double kFloorDb = -379.29779052734375;

    CGRAP(const CRect& size, CControlListener* listener, CBitmap* background);

    // The graph itself draws nothing; the derived graphs draw their plots.
    void draw(CDrawContext* context) override;

    // 20 * log10(|v|), or kFloorDb at or below the smallest normal float.
    static double levelDb(float value);

    // Row of a magnitude: 0 dB on the plot's top row, minus the level span on
    // the row rowSpan() below it. Louder values lie above, quieter ones below.
    int rowOfLevel(float value) const;
    // Frame column of sample s when sampleSpan() samples spread over the
    // columns, held inside the plot.
    int columnOfSample(int sample) const;

    // Reduces `count` values (one per sample, sample 0 first) to the slot's
    // column points: each column shows its peak, drawn lower by the square root
    // of the share of its samples that are not 0; columns without samples lie
    // below the plot. Redraws the graph. Returns 0, or -1 for a slot outside
    // 0 .. kSlotCount - 1 or missing values (nothing changes then).
    int setCurve(int slot, const float* values, int count, const char* label, const CColor& colour);

    // Samples that the plot's width stands for.
    void setSampleSpan(float samples);
    float sampleSpan() const { return sampleSpan_.load(std::memory_order_relaxed); }

    const CRect& plotRect() const { return plot_; }
    int columnCount() const { return columnCount_; }
    int rowSpan() const { return rowSpan_; }

    // Copies of a slot, for whoever needs to look (an invalid slot has no points).
    bool curveValid(int slot) const;
    std::vector<CPoint> curvePoints(int slot) const;
    CColor curveColour(int slot) const;
    std::string curveLabel(int slot) const;

protected:
    ~CGRAP() override;

    // The plot rectangle (right and bottom exclusive): its width - 1 columns,
    // and its height - 1 rows for levelSpanDb of level. Clears all curves.
    void setPlot(const CRect& plot, double levelSpanDb);

    // True when the view is in a frame whose window is open.
    bool frameIsOpen() const;
    // Draws the graph into its frame now, when it has an open one.
    void redrawInFrame();
    void drawBackground(CDrawContext* context);
    // One transparent line of text in the font and colour set on the context.
    static void drawLabel(CDrawContext* context, const char* text, const CRect& box, CHoriTxtAlign align);

    // Draws a valid slot: a line from the plot's bottom-left corner to the
    // first point, then through all points but the last column's. With a shift
    // of k columns, the first k columns lie on the plot's bottom edge and
    // column j shows the slot's column j - k. Call with graphMutex() held.
    void drawCurve(CDrawContext* context, int slot, int shiftColumns);

    std::mutex& graphMutex() const { return mutex_; }

    // Integer part of a pixel coordinate, held within a million pixels of the
    // origin so that absurd levels still give an integer.
    static int toCoordinate(double value);

private:
    struct CurveSlot {
        bool valid = false;
        std::vector<CPoint> points;
        char label[kLabelLength + 1] = {};
        CColor colour;
        int lineWidth = 1;
    };
    struct ColumnAccumulator {
        int samples = 0;
        int nonZero = 0;
        float peak = 0.0f;
    };

    int columnOfSampleIndex(int sample, float span) const;
    int rowOfDb(double db) const;

    mutable std::mutex mutex_;
    CRect plot_;
    int columnCount_ = 0;
    int rowSpan_ = 0;
    double levelSpanDb_ = 60.0;
    std::atomic<float> sampleSpan_{0.0f};
    CurveSlot slots_[kSlotCount];
    std::vector<CPoint> shifted_;
    std::vector<ColumnAccumulator> columns_;
};
