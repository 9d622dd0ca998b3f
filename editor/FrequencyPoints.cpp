#include "editor/FrequencyPoints.h"

#include "editor/FrequencyGrid.h"

#include <cmath>

namespace frequencypoints {

namespace {

constexpr float kLowestStep = 20.0f;
constexpr float kReferenceHz = 440.0f;
constexpr int kSpareCapacity = 64;

double binFrequency(const Axis& axis, int bin)
{
    return static_cast<double>(axis.sampleRate) * bin / axis.fftSize;
}

} // namespace

float Axis::lnFMin() const
{
    return std::log(fMin);
}

float Axis::xScale() const
{
    return static_cast<float>(xSpan / (std::log(static_cast<double>(fMax)) - std::log(static_cast<double>(fMin))));
}

int Axis::columnOf(float frequency) const
{
    return static_cast<int>((std::log(frequency) - lnFMin()) * xScale() + plotLeft + 0.5f);
}

int capacityFor(int sampleRate)
{
    const float r = frequencygrid::kStepRatio;
    float low = kReferenceHz;
    while (low / r >= kLowestStep)
        low /= r;
    const float nyquist = static_cast<float>(sampleRate) * 0.5f;
    float high = low;
    while (high * r <= nyquist)
        high *= r;
    return static_cast<int>(std::log(high / low) / std::log(2.0f) * 24.0f + kSpareCapacity);
}

int firstBinBelow(const Axis& axis)
{
    int bin = 0;
    while (bin + 1 < axis.fftSize && binFrequency(axis, bin + 1) < axis.fMin)
        ++bin;
    return bin;
}

std::vector<Point> buildPoints(const Axis& axis, int capacity)
{
    std::vector<Point> points;
    if (!(axis.fMin > 0.0f) || !(axis.fMax > axis.fMin) || axis.sampleRate <= 0 || axis.fftSize <= 0)
        return points;
    points.reserve(static_cast<std::size_t>(capacity > 0 ? capacity : 0));
    const float lnMin = axis.lnFMin();
    const float scale = axis.xScale();

    int bin = firstBinBelow(axis);
    for (float q = axis.fMin; q <= axis.fMax && static_cast<int>(points.size()) < capacity;
         q *= frequencygrid::kStepRatio) {
        bool moved = false;
        while (!(q < binFrequency(axis, bin)) && bin < axis.fftSize) {
            ++bin;
            moved = true;
        }
        Point p;
        p.frequency = q;
        p.upperBin = bin;
        p.edgeFrequency = q * frequencygrid::kHalfStepFactor;
        p.lnEdgeFrequency = std::log(p.edgeFrequency);
        p.binPosition = static_cast<float>(axis.fftSize) * p.edgeFrequency / static_cast<float>(axis.sampleRate);
        p.x = static_cast<int>((p.lnEdgeFrequency - lnMin) * scale + axis.plotLeft + 0.5f);
        if (!moved) {
            // No bin lies between this point and the previous one: read it
            // from the spline over the bins around it.
            const int l = static_cast<int>(p.binPosition);
            p.interpolationBin = l < 2 ? 1 : l - 1;
        }
        points.push_back(p);
    }
    return points;
}

} // namespace frequencypoints
