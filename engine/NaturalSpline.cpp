#include "engine/NaturalSpline.h"

#include <cmath>

namespace engine {

void NaturalSpline::fit(const double x[kPoints], const double y[kPoints])
{
    bool spaced = true;
    for (int i = 0; i < kPoints; ++i) {
        x_[i] = x[i];
        y_[i] = y[i];
        secondDerivative_[i] = 0.0;
        if (i > 0 && !(x[i] > x[i - 1]))
            spaced = false;
    }
    if (!spaced)
        return;

    // Tridiagonal solve for the inner second derivatives, ends held at 0.
    double u[kPoints] = {};
    for (int i = 1; i < kPoints - 1; ++i) {
        const double sig = (x[i] - x[i - 1]) / (x[i + 1] - x[i - 1]);
        const double p = sig * secondDerivative_[i - 1] + 2.0;
        secondDerivative_[i] = (sig - 1.0) / p;
        const double slopes = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
        u[i] = (6.0 * slopes / (x[i + 1] - x[i - 1]) - sig * u[i - 1]) / p;
    }
    secondDerivative_[kPoints - 1] = 0.0;
    for (int k = kPoints - 2; k >= 0; --k)
        secondDerivative_[k] = secondDerivative_[k] * secondDerivative_[k + 1] + u[k];
}

double NaturalSpline::valueAt(double x) const
{
    int lo = 0;
    int hi = kPoints - 1;
    while (hi - lo > 1) {
        const int mid = (hi + lo) / 2;
        if (x_[mid] > x)
            hi = mid;
        else
            lo = mid;
    }
    const double h = x_[hi] - x_[lo];
    if (!(std::fabs(h) > 0.0))
        return 0.0;
    const double a = (x_[hi] - x) / h;
    const double b = (x - x_[lo]) / h;
    return a * y_[lo] + b * y_[hi] +
           ((a * a * a - a) * secondDerivative_[lo] + (b * b * b - b) * secondDerivative_[hi]) * h * h / 6.0;
}

} // namespace engine
