#include "engine/Fft.h"

#include <cmath>
#include <exception>
#include <thread>

// Decimation in frequency, in place: every stage leaves its sub-transforms in
// bit-reversed order, and one permutation at the end restores natural order.
// The first stage is a radix-4 step over the whole array, which leaves four
// independent quarter-length transforms; those are finished by split-radix
// steps (one half-length and two quarter-length transforms per step), so the
// quarters can be shared out to worker threads without further coordination.
//
// Arithmetic runs in double precision; each stage stores its results back as
// floats. Twiddle factors come from a rotation recurrence that is re-anchored
// with sin/cos at regular intervals, so no tables are needed.

namespace engine {
namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;
constexpr double kSqrtHalf = 0.70710678118654752440084436210485;
constexpr double kCosPi8 = 0.92387953251128675612818318939679;
constexpr double kSinPi8 = 0.38268343236508977172845998403040;

// Blocks up to this many points are finished in a local double buffer.
constexpr int kLeafPoints = 64;
// Arrays above this many floats split their middle stages over worker threads.
constexpr int kThreadedFloats = 32768;
// Up to this many floats two workers share the work, above it four.
constexpr int kTwoWorkerFloats = 524288;

// The helpers below are tiny and hot; forcing them inline keeps unoptimised
// (debug and sanitizer) builds usable.
#define FFT_INLINE inline __attribute__((always_inline))

struct Cplx {
    double re;
    double im;
};

FFT_INLINE Cplx operator+(Cplx a, Cplx b) { return {a.re + b.re, a.im + b.im}; }
FFT_INLINE Cplx operator-(Cplx a, Cplx b) { return {a.re - b.re, a.im - b.im}; }
FFT_INLINE Cplx operator*(Cplx a, Cplx b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

// a * (sign * i)
FFT_INLINE Cplx timesSignedI(Cplx a, int sign) { return {-sign * a.im, sign * a.re}; }

FFT_INLINE Cplx load(const float* a, int point) { return {a[2 * point], a[2 * point + 1]}; }

FFT_INLINE void store(float* a, int point, Cplx v)
{
    a[2 * point] = static_cast<float>(v.re);
    a[2 * point + 1] = static_cast<float>(v.im);
}

// Successive powers exp(i * step * j) for j = 0, 1, 2, ...
// Exact sin/cos every kAnchor steps keep the recurrence's rounding drift far
// below float resolution.
class Rotation {
public:
    explicit Rotation(double step) : step_(step), stepFactor_{std::cos(step), std::sin(step)} {}

    FFT_INLINE Cplx value() const { return value_; }

    FFT_INLINE void advance()
    {
        ++index_;
        if ((index_ & (kAnchor - 1)) == 0) {
            const double angle = step_ * index_;
            value_ = {std::cos(angle), std::sin(angle)};
        } else {
            value_ = value_ * stepFactor_;
        }
    }

private:
    static constexpr int kAnchor = 32;
    double step_;
    Cplx stepFactor_;
    Cplx value_{1.0, 0.0};
    int index_ = 0;
};

// ---- small transforms on doubles, output in bit-reversed order ----

void dft2(Cplx* x)
{
    const Cplx a = x[0];
    const Cplx b = x[1];
    x[0] = a + b;
    x[1] = a - b;
}

void dft4(Cplx* x, int sign)
{
    const Cplx even = x[0] + x[2];
    const Cplx evenOdd = x[1] + x[3];
    const Cplx diff = x[0] - x[2];
    const Cplx rot = timesSignedI(x[1] - x[3], sign);
    x[0] = even + evenOdd;
    x[1] = even - evenOdd;
    x[2] = diff + rot;
    x[3] = diff - rot;
}

// One split-radix step on M points: the first half becomes the input of the
// half-length transform giving the even outputs, the third and fourth
// quarters those of the transforms giving outputs 4k+1 and 4k+3.
template <class Twiddles>
void splitStepLocal(Cplx* x, int points, int sign, Twiddles twiddle)
{
    const int q = points / 4;
    for (int j = 0; j < q; ++j) {
        const Cplx x0 = x[j];
        const Cplx x1 = x[j + q];
        const Cplx x2 = x[j + 2 * q];
        const Cplx x3 = x[j + 3 * q];
        const Cplx b = x0 - x2;
        const Cplx c = timesSignedI(x1 - x3, sign);
        Cplx w1;
        Cplx w3;
        twiddle(j, w1, w3);
        x[j] = x0 + x2;
        x[j + q] = x1 + x3;
        x[j + 2 * q] = (b + c) * w1;
        x[j + 3 * q] = (b - c) * w3;
    }
}

void dft8(Cplx* x, int sign)
{
    const double s = sign;
    const Cplx w1[2] = {{1.0, 0.0}, {kSqrtHalf, s * kSqrtHalf}};
    const Cplx w3[2] = {{1.0, 0.0}, {-kSqrtHalf, s * kSqrtHalf}};
    splitStepLocal(x, 8, sign, [&](int j, Cplx& a, Cplx& b) { a = w1[j]; b = w3[j]; });
    dft4(x, sign);
    dft2(x + 4);
    dft2(x + 6);
}

void dft16(Cplx* x, int sign)
{
    const double s = sign;
    const Cplx w1[4] = {{1.0, 0.0}, {kCosPi8, s * kSinPi8}, {kSqrtHalf, s * kSqrtHalf}, {kSinPi8, s * kCosPi8}};
    const Cplx w3[4] = {{1.0, 0.0}, {kSinPi8, s * kCosPi8}, {-kSqrtHalf, s * kSqrtHalf}, {-kCosPi8, -s * kSinPi8}};
    splitStepLocal(x, 16, sign, [&](int j, Cplx& a, Cplx& b) { a = w1[j]; b = w3[j]; });
    dft8(x, sign);
    dft4(x + 8, sign);
    dft4(x + 12, sign);
}

void localTransform(Cplx* x, int points, int sign)
{
    switch (points) {
    case 1: return;
    case 2: dft2(x); return;
    case 4: dft4(x, sign); return;
    case 8: dft8(x, sign); return;
    case 16: dft16(x, sign); return;
    default: break;
    }
    Rotation r1(sign * kTwoPi / points);
    Rotation r3(3.0 * sign * kTwoPi / points);
    splitStepLocal(x, points, sign, [&](int, Cplx& a, Cplx& b) {
        a = r1.value();
        b = r3.value();
        r1.advance();
        r3.advance();
    });
    localTransform(x, points / 2, sign);
    localTransform(x + points / 2, points / 4, sign);
    localTransform(x + 3 * points / 4, points / 4, sign);
}

// A block of at most kLeafPoints points, finished without float round trips.
void leafStages(float* a, int points, int sign)
{
    Cplx x[kLeafPoints];
    for (int j = 0; j < points; ++j)
        x[j] = load(a, j);
    localTransform(x, points, sign);
    for (int j = 0; j < points; ++j)
        store(a, j, x[j]);
}

// ---- stages on float arrays ----

void splitStep(float* a, int points, int sign)
{
    const int q = points / 4;
    Rotation r1(sign * kTwoPi / points);
    Rotation r3(3.0 * sign * kTwoPi / points);
    for (int j = 0; j < q; ++j) {
        const Cplx x0 = load(a, j);
        const Cplx x1 = load(a, j + q);
        const Cplx x2 = load(a, j + 2 * q);
        const Cplx x3 = load(a, j + 3 * q);
        const Cplx b = x0 - x2;
        const Cplx c = timesSignedI(x1 - x3, sign);
        store(a, j, x0 + x2);
        store(a, j + q, x1 + x3);
        store(a, j + 2 * q, (b + c) * r1.value());
        store(a, j + 3 * q, (b - c) * r3.value());
        r1.advance();
        r3.advance();
    }
}

// Depth first, so that the small blocks of one branch stay in cache.
void middleStages(float* a, int points, int sign)
{
    if (points <= kLeafPoints) {
        leafStages(a, points, sign);
        return;
    }
    splitStep(a, points, sign);
    middleStages(a, points / 2, sign);
    middleStages(a + points, points / 4, sign);
    middleStages(a + 3 * points / 2, points / 4, sign);
}

// Radix-4 step over the whole array. Quarter b (in memory order) receives the
// transform giving outputs 4k + r with r the 2-bit reversal of b, which is
// what the final bit reversal of the whole array expects.
void radix4FirstStage(float* a, int points, int sign)
{
    const int q = points / 4;
    Rotation r1(sign * kTwoPi / points);
    Rotation r2(2.0 * sign * kTwoPi / points);
    Rotation r3(3.0 * sign * kTwoPi / points);
    for (int j = 0; j < q; ++j) {
        const Cplx x0 = load(a, j);
        const Cplx x1 = load(a, j + q);
        const Cplx x2 = load(a, j + 2 * q);
        const Cplx x3 = load(a, j + 3 * q);
        const Cplx t0 = x0 + x2;
        const Cplx t1 = x0 - x2;
        const Cplx t2 = x1 + x3;
        const Cplx t3 = timesSignedI(x1 - x3, sign);
        store(a, j, t0 + t2);
        store(a, j + q, (t0 - t2) * r2.value());
        store(a, j + 2 * q, (t1 + t3) * r1.value());
        store(a, j + 3 * q, (t1 - t3) * r3.value());
        r1.advance();
        r2.advance();
        r3.advance();
    }
}

void bitReverse(float* a, int points)
{
    int j = 0;
    for (int i = 0; i < points; ++i) {
        if (i < j) {
            const float re = a[2 * i];
            const float im = a[2 * i + 1];
            a[2 * i] = a[2 * j];
            a[2 * i + 1] = a[2 * j + 1];
            a[2 * j] = re;
            a[2 * j + 1] = im;
        }
        int bit = points >> 1;
        while (bit != 0 && (j & bit) != 0) {
            j ^= bit;
            bit >>= 1;
        }
        j |= bit;
    }
}

// What one worker receives: the whole float count (which fixes the size of
// the quarters left by the first stage), the float count of its part and
// where the part starts.
struct WorkerPart {
    int n;
    int m;
    float* part;
    int sign;
};

void runWorker(WorkerPart w)
{
    const int quarterFloats = w.n / 4;
    for (int offset = 0; offset < w.m; offset += quarterFloats)
        middleStages(w.part + offset, quarterFloats / 2, w.sign);
}

void threadedMiddleStages(float* a, int n, int sign)
{
    const int count = n <= kTwoWorkerFloats ? 2 : 4;
    const int m = n / count;
    std::thread workers[4];
    for (int i = 0; i < count; ++i) {
        const WorkerPart part{n, m, a + i * m, sign};
        try {
            workers[i] = std::thread(runWorker, part);
        } catch (const std::exception&) {
            // Never end the host's process over a thread: this part is done here
            // instead, with the same result.
            runWorker(part);
        }
    }
    for (int i = 0; i < count; ++i)
        if (workers[i].joinable())
            workers[i].join();
}

} // namespace

void fftTransform(float* data, int n, int direction, FftThreading threading)
{
    const int sign = direction < 0 ? -1 : 1;
    const int points = n / 2;
    if (points <= 16) {
        Cplx x[16];
        for (int j = 0; j < points; ++j)
            x[j] = load(data, j);
        localTransform(x, points, sign);
        for (int j = 0; j < points; ++j)
            store(data, j, x[j]);
        if (points > 2)
            bitReverse(data, points);
        return;
    }

    radix4FirstStage(data, points, sign);
    if (n > kThreadedFloats && threading == FftThreading::Workers)
        threadedMiddleStages(data, n, sign);
    else
        runWorker(WorkerPart{n, n, data, sign});
    bitReverse(data, points);
}

void fftForward(float* data, int n) { fftTransform(data, n, +1, FftThreading::Workers); }

void fftBackward(float* data, int n) { fftTransform(data, n, -1, FftThreading::Workers); }

} // namespace engine
