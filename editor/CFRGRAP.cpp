#include "editor/CFRGRAP.h"

#include "editor/EditorEffect.h"
#include "editor/FrequencyGrid.h"
#include "engine/ResponseAnalyser.h"
#include "engine/ResponseColumns.h"
#include "params/EffectConstants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kFrameInsetLeft = 24;
constexpr int kFrameInsetTop = 10;
constexpr int kFrameInsetRight = 7;
constexpr int kFrameInsetBottom = 16;
constexpr int kMajorLineOverhang = 2;

constexpr int kFallbackFftSize = engine::ResponseAnalyser::kSize;

constexpr CColor kGridColour{104, 160, 182, 255};
constexpr CColor kCurveColour{255, 175, 0, 255};

// The window the graph starts with, before the editor sets its own.
constexpr float kInitialBottom = -160.0f;
constexpr float kInitialTop = 10.0f;
constexpr float kInitialStep = 10.0f;
constexpr float kLowestFrequency = 20.0f;

} // namespace

CFRGRAP::CFRGRAP(const CRect& size, CBitmap* background, EditorEffect* effect, engine::ResponseAnalyser* analyser,
                 CControlListener* listener)
    : CGRAP(size, listener, background),
      effect_(effect),
      analyser_(analyser != nullptr ? analyser : (effect != nullptr ? &effect->responseAnalyser() : nullptr)),
      frameRect_(size.left + kFrameInsetLeft, size.top + kFrameInsetTop, size.right - kFrameInsetRight,
                 size.bottom - kFrameInsetBottom),
      xSpan_(size.width() - 32),
      ySpan_(size.height() - 27),
      sampleRate_(analyser_ != nullptr ? analyser_->sampleRate() : effect::kDefaultSampleRate),
      fftSize_(analyser_ != nullptr ? analyser_->size() : kFallbackFftSize)
{
    lnBinFrequency_.assign(static_cast<std::size_t>(fftSize_ / 2), 0.0f);
    power_.assign(static_cast<std::size_t>(fftSize_ / 2), 0.0f);
    fillLogBinFrequencies();

    axis_.plotLeft = frameRect_.left;
    axis_.xSpan = xSpan_;
    axis_.sampleRate = sampleRate_;
    axis_.fftSize = fftSize_;
    setLevelRange(kInitialBottom, kInitialTop, kInitialStep);
    setFrequencyRange(kLowestFrequency, static_cast<float>(sampleRate_) * 0.5f);
}

CFRGRAP::~CFRGRAP() = default;

void CFRGRAP::fillLogBinFrequencies()
{
    const int rate = analyser_ != nullptr ? analyser_->sampleRate() : sampleRate_;
    for (std::size_t i = 1; i < lnBinFrequency_.size(); ++i)
        lnBinFrequency_[i] =
            static_cast<float>(std::log(static_cast<double>(rate) * static_cast<double>(i) / fftSize_));
}

int CFRGRAP::rowOf(double level) const
{
    const double range = static_cast<double>(levelTop_) - levelBottom_;
    if (range == 0.0)
        return frameRect_.top;
    return toCoordinate(ySpan_ / range * (levelTop_ - level) + frameRect_.top + 1);
}

void CFRGRAP::setLevelRange(float bottom, float top, float step)
{
    std::lock_guard<std::mutex> lock(graphMutex());
    levelBottom_ = bottom;
    levelTop_ = top;
    levelStep_ = step;
    const float mid = (bottom + top) / 2.0f;
    const double lines = step > 0.0f ? static_cast<double>(mid - bottom) / step : 0.0;
    levelHalfCount_ = lines >= 1.0 ? static_cast<int>(std::min(lines, (kMaxLevelLines - 1) / 2.0)) : 0;

    levelLines_.clear();
    float h = mid - step * static_cast<float>(levelHalfCount_);
    for (int i = 0; i <= 2 * levelHalfCount_; ++i, h += step) {
        const int y = rowOf(h);
        levelLines_.push_back(Line{CPoint(frameRect_.left, y), CPoint(frameRect_.right, y)});
    }
}

bool CFRGRAP::setFrequencyRange(float fMin, float fMax)
{
    if (!(fMin > 0.0f) || !(fMax > fMin) || !std::isfinite(fMax))
        return false;
    std::lock_guard<std::mutex> lock(graphMutex());
    axis_.fMin = fMin;
    axis_.fMax = fMax;
    rebuildAxis();
    return true;
}

bool CFRGRAP::setSampleRate(int rate)
{
    if (rate <= 0)
        return false;
    std::lock_guard<std::mutex> lock(graphMutex());
    sampleRate_ = rate;
    axis_.sampleRate = rate;
    axis_.fMax = static_cast<float>(rate) * 0.5f;
    rebuildAxis();
    fillLogBinFrequencies();
    return true;
}

void CFRGRAP::rebuildAxis()
{
    capacity_ = frequencypoints::capacityFor(sampleRate_);
    segments_.assign(static_cast<std::size_t>(2 * capacity_), CPoint());
    segmentCount_ = 0;
    firstBin_ = frequencypoints::firstBinBelow(axis_);
    points_ = frequencypoints::buildPoints(axis_, capacity_);

    frequencyLines_.clear();
    if (!(axis_.fMax > axis_.fMin))
        return;
    for (const frequencygrid::GridRow* row = frequencygrid::kGrid; row->frequency != -1.0f; ++row) {
        if (row->frequency < axis_.fMin)
            continue;
        if (row->frequency > axis_.fMax || static_cast<int>(frequencyLines_.size()) >= kMaxFrequencyLines)
            break;
        const int x = axis_.columnOf(row->frequency);
        const int overhang = (row->flags & frequencygrid::kMajor) ? kMajorLineOverhang : 0;
        FrequencyLine line;
        line.line = Line{CPoint(x, frameRect_.top - overhang), CPoint(x, frameRect_.bottom + overhang)};
        line.frequency = row->frequency;
        line.flags = row->flags;
        frequencyLines_.push_back(line);
    }
}

void CFRGRAP::buildCurve(const engine::ResponseAnalyser& analyser)
{
    std::lock_guard<std::mutex> lock(graphMutex());
    if (static_cast<int>(power_.size()) != engine::ResponseAnalyser::kBins)
        return;
    analyser.copyPower(power_.data());
    engine::ResponseColumns columns(power_.data(), lnBinFrequency_.data(), static_cast<int>(power_.size()),
                                    firstBin_);
    // The analyser's normalisation cancelled, a unity-gain chain lies on the centre line.
    const double mid = (static_cast<double>(levelBottom_) + levelTop_) / 2.0;
    std::vector<int> rows(points_.size());
    for (std::size_t k = 0; k < points_.size(); ++k) {
        const frequencypoints::Point& p = points_[k];
        const float level = columns.next(p.interpolationBin, p.upperBin, p.lnEdgeFrequency);
        rows[k] = rowOf(mid + level + engine::ResponseAnalyser::kDisplayOffsetDb);
    }

    segmentCount_ = points_.size() > 1 ? static_cast<int>(points_.size()) - 1 : 0;
    for (int k = 0; k < segmentCount_; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        CPoint from = k == 0 ? CPoint(frameRect_.left, rows[1]) : CPoint(points_[i].x, rows[i]);
        segments_[2 * i] = from;
        segments_[2 * i + 1] = CPoint(points_[i + 1].x, rows[i + 1]);
    }
}

void CFRGRAP::draw(CDrawContext* context)
{
    if (!frameIsOpen() || effect_ == nullptr || analyser_ == nullptr)
        return;
    drawBackground(context);
    context->setLineWidth(1);
    context->setFrameColor(kGridColour);
    context->setFontColor(kGridColour);
    context->setFont(kNormalFontSmall, 10, kNormalFace);

    const CRect& frame = frameRect_;
    std::lock_guard<std::mutex> lock(graphMutex());
    for (int i = 0; i < static_cast<int>(levelLines_.size()); ++i) {
        const Line& line = levelLines_[static_cast<std::size_t>(i)];
        context->moveTo(line.from);
        context->lineTo(line.to);
        const float value = static_cast<float>(i - levelHalfCount_) * levelStep_;
        char text[32];
        std::snprintf(text, sizeof text, value >= 0.0f ? "+%.0f" : "%.0f", static_cast<double>(value));
        const int y = line.from.y;
        drawLabel(context, text, CRect(frame.left - 28, y - 5, frame.left - 2, y + 5), kRightText);
    }

    for (const FrequencyLine& line : frequencyLines_) {
        context->moveTo(line.line.from);
        context->lineTo(line.line.to);
        if (!(line.flags & frequencygrid::kLabelled))
            continue;
        char text[32];
        if (line.frequency < 1000.0f)
            std::snprintf(text, sizeof text, "%dHz", static_cast<int>(line.frequency));
        else
            std::snprintf(text, sizeof text, "%dkHz", static_cast<int>(line.frequency * 0.001f));
        const int x = line.line.from.x;
        drawLabel(context, text, CRect(x - 11, frame.bottom + 2, x + 20, frame.bottom + 12), kLeftText);
    }

    context->moveTo(CPoint(frame.left, frame.top));
    context->lineTo(CPoint(frame.right - 1, frame.top));
    context->lineTo(CPoint(frame.right - 1, frame.bottom - 1));
    context->lineTo(CPoint(frame.left, frame.bottom - 1));
    context->lineTo(CPoint(frame.left, frame.top));

    context->setClipRect(CRect(frame.left + 1, frame.top + 1, frame.right, frame.bottom - 1));
    context->setLineWidth(1);
    context->setFrameColor(kCurveColour);
    context->drawLines(segments_.data(), segmentCount_);
    context->resetClipRect();
}

int CFRGRAP::sampleRate() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    return sampleRate_;
}

int CFRGRAP::pointCapacity() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    return capacity_;
}

int CFRGRAP::firstBin() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    return firstBin_;
}

std::vector<frequencypoints::Point> CFRGRAP::points() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    return points_;
}

std::vector<CFRGRAP::Line> CFRGRAP::segments() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    std::vector<Line> lines;
    for (int k = 0; k < segmentCount_; ++k)
        lines.push_back(Line{segments_[static_cast<std::size_t>(2 * k)], segments_[static_cast<std::size_t>(2 * k + 1)]});
    return lines;
}

std::vector<CFRGRAP::FrequencyLine> CFRGRAP::frequencyLines() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    return frequencyLines_;
}

std::vector<CFRGRAP::Line> CFRGRAP::levelLines() const
{
    std::lock_guard<std::mutex> lock(graphMutex());
    return levelLines_;
}
