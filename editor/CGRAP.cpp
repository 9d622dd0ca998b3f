#include "editor/CGRAP.h"

#include "toolkit/CFrame.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// The graphs are not parameters: their tag lies outside every parameter id.
constexpr long kGraphTag = -1;

constexpr double kCoordinateLimit = 1.0e6;

} // namespace

int CGRAP::toCoordinate(double value)
{
    if (!(value > -kCoordinateLimit))
        return static_cast<int>(-kCoordinateLimit);
    if (value > kCoordinateLimit)
        return static_cast<int>(kCoordinateLimit);
    return static_cast<int>(value);
}

CGRAP::CGRAP(const CRect& size, CControlListener* listener, CBitmap* background)
    : CControl(size, listener, kGraphTag, background)
{
}

CGRAP::~CGRAP() = default;

void CGRAP::draw(CDrawContext*) {}

void CGRAP::setPlot(const CRect& plot, double levelSpanDb)
{
    std::lock_guard<std::mutex> lock(mutex_);
    plot_ = plot;
    columnCount_ = plot.width() > 1 ? plot.width() - 1 : 0;
    rowSpan_ = plot.height() > 1 ? plot.height() - 1 : 0;
    levelSpanDb_ = levelSpanDb > 0.0 ? levelSpanDb : 60.0;
    for (CurveSlot& slot : slots_) {
        slot.valid = false;
        slot.points.clear();
    }
    shifted_.assign(static_cast<std::size_t>(columnCount_), CPoint());
    columns_.assign(static_cast<std::size_t>(columnCount_), ColumnAccumulator());
}

void CGRAP::setSampleSpan(float samples)
{
    sampleSpan_.store(samples, std::memory_order_relaxed);
}

double CGRAP::levelDb(float value)
{
    const double magnitude = std::fabs(static_cast<double>(value));
    if (!(magnitude > static_cast<double>(FLT_MIN)))
        return kFloorDb;
    return 20.0 * std::log10(magnitude);
}

int CGRAP::rowOfDb(double db) const
{
    return toCoordinate(plot_.top - db * rowSpan_ / levelSpanDb_ + 0.5);
}

int CGRAP::rowOfLevel(float value) const
{
    return rowOfDb(levelDb(value));
}

int CGRAP::columnOfSampleIndex(int sample, float span) const
{
    if (columnCount_ <= 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(sample) * columnCount_;
    const double j = static_cast<double>(product) / span + 0.5;
    if (!(j >= 0.0))
        return 0;
    if (j >= columnCount_)
        return columnCount_ - 1;
    return static_cast<int>(j);
}

int CGRAP::columnOfSample(int sample) const
{
    return plot_.left + columnOfSampleIndex(sample, sampleSpan());
}

int CGRAP::setCurve(int slot, const float* values, int count, const char* label, const CColor& colour)
{
    if (slot < 0 || slot >= kSlotCount || (values == nullptr && count > 0))
        return -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        CurveSlot& curve = slots_[slot];
        if (!curve.valid)
            curve.points.assign(static_cast<std::size_t>(columnCount_), CPoint());
        curve.colour = colour;
        curve.lineWidth = 1;
        std::strncpy(curve.label, label ? label : "", kLabelLength);
        curve.label[kLabelLength] = '\0';

        for (ColumnAccumulator& column : columns_)
            column = ColumnAccumulator();
        const float span = sampleSpan();
        for (int i = 0; i < count && columnCount_ > 0; ++i) {
            ColumnAccumulator& column = columns_[static_cast<std::size_t>(columnOfSampleIndex(i, span))];
            ++column.samples;
            if (values[i] != 0.0f)
                ++column.nonZero;
            if (values[i] > column.peak)
                column.peak = values[i];
        }

        for (int j = 0; j < columnCount_; ++j) {
            const ColumnAccumulator& column = columns_[static_cast<std::size_t>(j)];
            int y;
            if (column.samples == 0) {
                y = rowOfLevel(0.0f);
            } else if (column.nonZero == column.samples) {
                y = rowOfLevel(column.peak);
            } else {
                // A column only partly filled with sound is drawn lower.
                const double share = static_cast<double>(column.nonZero) / column.samples;
                y = rowOfLevel(static_cast<float>(column.peak * std::sqrt(share)));
            }
            curve.points[static_cast<std::size_t>(j)] = CPoint(plot_.left + j, y);
        }
        curve.valid = true;
    }
    redrawInFrame();
    return 0;
}

bool CGRAP::curveValid(int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_[slot].valid;
}

std::vector<CPoint> CGRAP::curvePoints(int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return {};
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_[slot].valid ? slots_[slot].points : std::vector<CPoint>();
}

CColor CGRAP::curveColour(int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return CColor();
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_[slot].colour;
}

std::string CGRAP::curveLabel(int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return {};
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_[slot].label;
}

bool CGRAP::frameIsOpen() const
{
    const CFrame* frame = getFrame();
    return frame != nullptr && frame->isOpen();
}

void CGRAP::redrawInFrame()
{
    if (frameIsOpen())
        CView::redraw();
}

void CGRAP::drawBackground(CDrawContext* context)
{
    CView::draw(context);
}

void CGRAP::drawLabel(CDrawContext* context, const char* text, const CRect& box, CHoriTxtAlign align)
{
    context->drawString(text, box, false, align);
}

void CGRAP::drawCurve(CDrawContext* context, int slot, int shiftColumns)
{
    if (slot < 0 || slot >= kSlotCount || !slots_[slot].valid || columnCount_ <= 0)
        return;
    const CurveSlot& curve = slots_[slot];
    context->setLineWidth(curve.lineWidth);
    context->setFrameColor(curve.colour);

    const CPoint* points = curve.points.data();
    if (shiftColumns > 0) {
        for (int j = 0; j < columnCount_; ++j) {
            const int y = j < shiftColumns ? plot_.bottom : curve.points[static_cast<std::size_t>(j - shiftColumns)].y;
            shifted_[static_cast<std::size_t>(j)] = CPoint(plot_.left + j, y);
        }
        points = shifted_.data();
    }
    context->moveTo(CPoint(plot_.left, plot_.bottom));
    context->lineTo(points[0]);
    context->polyLine(points, columnCount_ - 1);
}
