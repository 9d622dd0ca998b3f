#pragma once
// Complex discrete Fourier transform of one fixed power-of-two length that can
// be run a few butterflies at a time, so that a transform can be spread evenly
// over many process calls.
//
// Radix 2, decimation in time, on doubles: the caller stores the input with
// point i at reversed(i), then runs butterflies 0 .. butterflies()-1 in as many
// steps as it likes; the output is then in natural order. The forward direction
// computes X[k] = sum over j of x[j] * exp(-2 pi i j k / M), the backward one the
// same with exp(+2 pi i j k / M); neither scales.
//
// The tables are built once at construction; running allocates nothing.
#include <cstddef>
#include <vector>

namespace engine {

struct ComplexValue {
    double re;
    double im;
};

class SteppedFft {
public:
    enum class Direction { Forward, Backward };

    explicit SteppedFft(int points);

    int points() const { return points_; }
    int butterflies() const { return butterflies_; }
    int reversed(int index) const { return reversed_[static_cast<std::size_t>(index)]; }

    // Butterflies [from, to) of the whole sequence, in order.
    void run(ComplexValue* data, Direction direction, int from, int to) const;

    // All butterflies at once, on input already stored in bit-reversed order.
    void transform(ComplexValue* data, Direction direction) const { run(data, direction, 0, butterflies_); }

private:
    int points_;
    int butterflies_;
    std::vector<ComplexValue> twiddles_;  // exp(-2 pi i k / M) for k < M/2
    std::vector<int> reversed_;
};

} // namespace engine
