#include "engine/SteppedFft.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {
constexpr double kTwoPi = 6.283185307179586476925286766559;
} // namespace

SteppedFft::SteppedFft(int points) : points_(points), butterflies_(0), twiddles_(points / 2), reversed_(points)
{
    int stages = 0;
    while ((1 << stages) < points)
        ++stages;
    butterflies_ = stages * (points / 2);

    // Every twiddle straight from sin and cos: no recurrence drift to worry about.
    for (int k = 0; k < points / 2; ++k) {
        const double angle = kTwoPi * k / points;
        twiddles_[static_cast<size_t>(k)] = {std::cos(angle), -std::sin(angle)};
    }
    for (int i = 0; i < points; ++i) {
        int r = 0;
        for (int bit = 0; bit < stages; ++bit)
            r |= ((i >> bit) & 1) << (stages - 1 - bit);
        reversed_[static_cast<size_t>(i)] = r;
    }
}

void SteppedFft::run(ComplexValue* a, Direction direction, int from, int to) const
{
    const int half = points_ / 2;
    const double sign = direction == Direction::Forward ? 1.0 : -1.0;
    const ComplexValue* tw = twiddles_.data();
    int done = from;
    // Butterfly u belongs to stage u / half; within a stage of span h = 2^stage
    // it pairs point (group * 2h + pos) with the point h above it.
    int stage = from / half;
    int inStage = from % half;
    while (done < to) {
        const int span = 1 << stage;
        const int stride = half >> stage;
        const int stageEnd = std::min(to, (stage + 1) * half);
        int group = inStage >> stage;
        int pos = inStage & (span - 1);
        for (; done < stageEnd; ++done) {
            const int i = (group << (stage + 1)) + pos;
            const int j = i + span;
            const double wr = tw[pos * stride].re;
            const double wi = sign * tw[pos * stride].im;
            const double tr = wr * a[j].re - wi * a[j].im;
            const double ti = wr * a[j].im + wi * a[j].re;
            a[j].re = a[i].re - tr;
            a[j].im = a[i].im - ti;
            a[i].re += tr;
            a[i].im += ti;
            if (++pos == span) {
                pos = 0;
                ++group;
            }
        }
        ++stage;
        inStage = 0;
    }
}

} // namespace engine
