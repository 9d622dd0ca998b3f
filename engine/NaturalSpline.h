#pragma once
// Natural cubic spline (second derivative 0 at both ends) through four points,
// used to read the response curve between widely spaced low-frequency bins.
namespace engine {

class NaturalSpline {
public:
    static constexpr int kPoints = 4;

    // Abscissae ascending. Coinciding abscissae do not poison the other intervals:
    // the spline then falls back to straight lines.
    void fit(const double x[kPoints], const double y[kPoints]);

    // Value at `x`, from the interval found by binary search (the end intervals
    // extend beyond the first and last point). A zero-width interval gives 0.
    double valueAt(double x) const;

private:
    double x_[kPoints] = {};
    double y_[kPoints] = {};
    double secondDerivative_[kPoints] = {};
};

} // namespace engine
