#include "editor/CENVGRAP.h"

#include "editor/EditorEffect.h"
#include "editor/EnvelopeGraphActions.h"
#include "editor/EnvelopeInfoText.h"
#include "ir/IRData.h"
#include "params/EffectConstants.h"
#include "params/ParameterTable.h"
#include "params/ValueFormatters.h"
#include "toolkit/CDragContainer.h"
#include "toolkit/MouseButtons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>

namespace {

constexpr int kPlotInsetLeft = 51;
constexpr int kPlotInsetTop = 55;
constexpr int kPlotInsetRight = 30;
constexpr int kPlotInsetBottom = 18;
constexpr double kLevelSpanDb = 60.0;

constexpr CColor kMinorLineColour{74, 116, 128, 255};
constexpr CColor kScaleColour{104, 160, 182, 255};
constexpr CColor kGateColour{60, 64, 255, 255};

// 10^(1/20) as the single-precision base of the level lines.
constexpr double kDbBase = 1.1220184543019636;

CColor toColour(ir::CurveColour c)
{
    return CColor{c.r, c.g, c.b, c.a};
}

} // namespace

CENVGRAP::CENVGRAP(const CRect& size, CBitmap* background, EditorEffect* effect, CControlListener* listener)
    : CGRAP(size, listener, background),
      effect_(effect),
      sampleRate_(effect ? effect->integerSampleRate() : effect::kDefaultSampleRate)
{
    setPlot(CRect(size.left + kPlotInsetLeft, size.top + kPlotInsetTop, size.right - kPlotInsetRight,
                  size.bottom - kPlotInsetBottom),
            kLevelSpanDb);
    setSampleSpan(static_cast<float>(sampleRate()) * timeRange() / 1000.0f);
}

CENVGRAP::~CENVGRAP() = default;

void CENVGRAP::setSampleRate(int rate)
{
    sampleRate_ = rate;
    setSampleSpan(static_cast<float>(rate) * timeRange() / 1000.0f);
}

void CENVGRAP::setTimeAxis(int rate, float timeRangeMs)
{
    timeRange_ = timeRangeMs;
    setSampleRate(rate);
}

void CENVGRAP::setTimeRange(float ms)
{
    timeRange_ = ms;
}

void CENVGRAP::setSamplesInRange(float samples)
{
    setSampleSpan(samples);
}

int CENVGRAP::setCurve(int slot, const float* values, int count, const char* label, ir::CurveColour colour)
{
    return CGRAP::setCurve(slot, values, count, label, toColour(colour));
}

int CENVGRAP::setEnvelopeCurve(int slot, const float* left, const float* right, ir::CurveColour colour)
{
    if (slot < 0 || slot >= CGRAP::kSlotCount || left == nullptr || right == nullptr)
        return -1;
    constexpr int kSamples = ir::EnvelopeSink::kCurveSamples;
    std::unique_ptr<float[]> values(new float[kSamples]);
    for (int i = 0; i < kSamples; ++i)
        values[i] = std::max(std::fabs(left[i]), std::fabs(right[i]));
    return CGRAP::setCurve(slot, values.get(), kSamples, kShapedLabel, toColour(colour));
}

void CENVGRAP::redraw()
{
    redrawInFrame();
}

bool CENVGRAP::dropItem(const char* item, bool isFileName)
{
    if (effect_ == nullptr || item == nullptr)
        return false;
    if (actions_ != nullptr)
        actions_->envelopeGraphDropped(item, isFileName);
    return true;
}

bool CENVGRAP::acceptsDrop(const CPoint&) const
{
    return effect_ != nullptr;
}

bool CENVGRAP::onDrop(CDrawContext*, CDragContainer* drag, const CPoint&)
{
    if (drag == nullptr)
        return false;
    long size = 0;
    long type = CDragContainer::kUnknown;
    const char* item = drag->first(size, type);
    if (item == nullptr || type == CDragContainer::kUnknown)
        return false;
    return dropItem(item, type == CDragContainer::kFile);
}

void CENVGRAP::mouse(CDrawContext*, CPoint&, long buttons)
{
    if (effect_ == nullptr || !getMouseEnabled())
        return;
    if ((resolveButtons(buttons) & kLButton) && actions_ != nullptr)
        actions_->envelopeGraphClicked();
}

double CENVGRAP::preDelayMs() const
{
    if (effect_ == nullptr)
        return 0.0;
    return param::toRealValue(effect_->getParameter(param::kPreDelay), param::kPreDelay);
}

int CENVGRAP::preDelaySamples() const
{
    if (effect_ == nullptr)
        return 0;
    const double samples = preDelayMs() * effect_->integerSampleRate() * 0.001 + 0.5;
    return samples > 0.0 ? static_cast<int>(std::min(samples, 1.0e9)) : 0;
}

int CENVGRAP::preDelayColumns() const
{
    const double k = static_cast<double>(columnCount()) * preDelaySamples() / samplesInRange() + 0.5;
    if (!(k > 0.0))
        return 0;
    return static_cast<int>(std::min(k, static_cast<double>(columnCount())));
}

int CENVGRAP::gateMarkerColumn() const
{
    const double gateMs = effect_ ? effect_->irDescription().gateMs : 0.0;
    const double sample = (gateMs + preDelayMs()) * sampleRate() * 0.001;
    return columnOfSample(static_cast<int>(std::clamp(sample, -1.0e9, 1.0e9)));
}

void CENVGRAP::draw(CDrawContext* context)
{
    if (effect_ == nullptr || !frameIsOpen())
        return;
    // One copy of the IR's description for the whole picture.
    const ir::IRDescription ir = effect_->irDescription();
    drawBackground(context);
    drawLevelScale(context);
    drawTimeScale(context);

    const CRect plot = plotRect();
    context->setFrameColor(kScaleColour);
    context->drawRect(CRect(plot.left - 1, plot.top, plot.right, plot.bottom));

    context->setClipRect(CRect(plot.left, plot.top + 1, plot.right - 1, plot.bottom - 1));
    {
        // The effect is asked before the curves are locked, so that no lock of
        // the effect is ever taken while the graph's own is held.
        const int shift = preDelayColumns();
        std::lock_guard<std::mutex> lock(graphMutex());
        for (int slot = 0; slot < CGRAP::kSlotCount; ++slot)
            drawCurve(context, slot, slot == kShapedSlot ? shift : 0);
    }
    drawGateMarker(context);
    context->resetClipRect();

    envelopeinfo::drawEnvelopeInfoText(context, getViewSize(), ir, effect_->rebuildIndicator() != 0,
                                       effect_->dataFolder());
}

void CENVGRAP::drawLevelScale(CDrawContext* context)
{
    const CRect plot = plotRect();
    context->setLineWidth(1);
    context->setFrameColor(kMinorLineColour);
    context->setFontColor(kScaleColour);
    context->setFont(kNormalFontSmall, 11, kNormalFace);
    for (int d = 0; d >= -60; d -= 10) {
        const int y = rowOfLevel(static_cast<float>(std::pow(kDbBase, d)));
        char text[32];
        std::snprintf(text, sizeof text, "%.0lfdB", static_cast<double>(d));
        drawLabel(context, text, CRect(1, y - 5, plot.left - 1, y + 5), kRightText);
        context->moveTo(CPoint(plot.left, y));
        context->lineTo(CPoint(plot.right, y));
    }
}

void CENVGRAP::drawTimeScale(CDrawContext* context)
{
    const CRect plot = plotRect();
    const int n = columnCount();
    const float range = timeRange();
    if (n <= 0 || !(range > 0.0f) || !std::isfinite(range))
        return;
    // Minor lines at least four pixels apart, on a 1-2-5 style step of 1 or 5.
    const double t = range * 4.0 / n;
    const double a = std::pow(10.0, std::ceil(std::log10(t)));
    const double b = 5.0 * std::pow(10.0, std::ceil(std::log10(t * 0.2)));
    const double minor = a < b ? a : b;
    const double major = 10.0 * minor;
    const double pixelsPerMs = n / static_cast<double>(range);

    context->setFrameColor(kMinorLineColour);
    for (int k = 1;; ++k) {
        const int x = static_cast<int>(plot.left + k * minor * pixelsPerMs);
        if (x >= plot.right)
            break;
        context->moveTo(CPoint(x, plot.top));
        context->lineTo(CPoint(x, plot.bottom));
    }

    context->setFrameColor(kScaleColour);
    context->setFontColor(kScaleColour);
    drawLabel(context, "0ms", CRect(plot.left + 1, plot.bottom + 1, plot.right + 32, plot.bottom + 10), kLeftText);
    for (int k = 1;; ++k) {
        const int x = static_cast<int>(plot.left + k * major * pixelsPerMs);
        if (x > plot.right)
            break;
        context->moveTo(CPoint(x, plot.top));
        context->lineTo(CPoint(x, plot.bottom));
        char text[param::kFormatterTextCapacity];
        param::formatTime(static_cast<float>(k * major), text);
        drawLabel(context, text, CRect(x - 32, plot.bottom + 1, x + 32, plot.bottom + 10), kCenterText);
    }
}

void CENVGRAP::drawGateMarker(CDrawContext* context)
{
    const CRect plot = plotRect();
    const int x = gateMarkerColumn();
    context->setLineWidth(1);
    context->setLineStyle(kLineOnOffDash);
    context->setFrameColor(kGateColour);
    context->moveTo(CPoint(x, plot.top));
    context->lineTo(CPoint(x, plot.bottom));
    context->moveTo(CPoint(x - 1, plot.top));
    context->lineTo(CPoint(x - 1, plot.bottom));
    context->setLineStyle(kLineSolid);
}
