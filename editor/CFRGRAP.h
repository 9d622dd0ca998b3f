#pragma once
// The frequency-response graph: what the wet path's high-pass, low-pass and
// balance filters do to the spectrum, as one orange curve over a logarithmic
// frequency axis (fMin to fMax) on a level window whose centre line is 0 dB.
//
// The effect's response analyser measures the filters; after each analysis
// buildCurve turns its power bins into the curve, and the graph is redrawn.
// The grid sits 24 pixels in from the left, 10 down from the top, 7 in from the
// right and 16 up from the bottom of the view.
#include "editor/CGRAP.h"
#include "editor/FrequencyPoints.h"

#include <vector>

class EditorEffect;

namespace engine {
class ResponseAnalyser;
}

class CFRGRAP : public CGRAP {
public:
    static constexpr int kMaxFrequencyLines = 30;
    // Level lines beyond this many are not drawn (a tiny step would ask for thousands).
    static constexpr int kMaxLevelLines = 41;

    struct Line {
        CPoint from;
        CPoint to;
    };
    struct FrequencyLine {
        Line line;
        float frequency = 0.0f;
        int flags = 0;  // frequencygrid::Flags of its grid row
    };

    // The analyser comes from the effect when not given. Both are needed for
    // drawing; without an analyser the axis assumes 44100 Hz.
    CFRGRAP(const CRect& size, CBitmap* background, EditorEffect* effect, engine::ResponseAnalyser* analyser,
            CControlListener* listener);

    // The level window in dB with a grid line every `step` dB around its centre.
    void setLevelRange(float bottom, float top, float step);
    // The frequency axis in Hz; refused (false, nothing changes) unless
    // 0 < fMin < fMax. Rebuilds the points and the frequency lines; the curve
    // is empty until the next buildCurve.
    bool setFrequencyRange(float fMin, float fMax);
    // A new host rate, after the analyser took it: the axis ends at half of
    // it. Refused (false) for a rate of 0 or less.
    bool setSampleRate(int rate);
    // Turns the analyser's last analysis into the curve (call redraw after).
    void buildCurve(const engine::ResponseAnalyser& analyser);

    void draw(CDrawContext* context) override;

    // What the graph would draw (copies, taken under the graph's lock).
    int sampleRate() const;
    int pointCapacity() const;
    int firstBin() const;
    std::vector<frequencypoints::Point> points() const;
    std::vector<Line> segments() const;
    std::vector<FrequencyLine> frequencyLines() const;
    std::vector<Line> levelLines() const;
    const CRect& frameRect() const { return frameRect_; }
    int xSpan() const { return xSpan_; }
    int ySpan() const { return ySpan_; }

protected:
    ~CFRGRAP() override;

private:
    void rebuildAxis();
    void fillLogBinFrequencies();
    int rowOf(double level) const;

    EditorEffect* effect_;
    engine::ResponseAnalyser* analyser_;
    CRect frameRect_;
    int xSpan_;
    int ySpan_;
    int sampleRate_;
    int fftSize_;

    frequencypoints::Axis axis_;
    float levelBottom_ = 0.0f;
    float levelTop_ = 0.0f;
    float levelStep_ = 1.0f;
    int levelHalfCount_ = 0;  // lines on each side of the centre line

    int capacity_ = 0;
    int firstBin_ = 0;
    std::vector<frequencypoints::Point> points_;
    std::vector<CPoint> segments_;  // pairs: from, to
    int segmentCount_ = 0;
    std::vector<FrequencyLine> frequencyLines_;
    std::vector<Line> levelLines_;
    std::vector<float> lnBinFrequency_;
    std::vector<float> power_;
};
