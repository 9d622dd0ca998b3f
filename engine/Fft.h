#pragma once
// In-place complex discrete Fourier transform of power-of-two length.
//
// `data` holds n floats: n/2 complex points as interleaved (real, imaginary)
// pairs. With m = n/2 points the forward transform computes
//     X[k] = sum over j of x[j] * exp(+2 pi i j k / m)
// and the backward transform the same with exp(-2 pi i j k / m). Neither
// scales, so forward then backward returns m times the input.
//
// The transform keeps no state and allocates nothing; any number of calls on
// different arrays may run at the same time. Above 16384 points the work after
// the first stage is split over two worker threads (four above 262144 points)
// that each call creates and joins itself. If a worker cannot be started the
// process ends with "cdft thread error" on stderr.
namespace engine {

void fftForward(float* data, int n);
void fftBackward(float* data, int n);

enum class FftThreading {
    Workers,     // large transforms split over worker threads
    CallerOnly,  // everything in the calling thread
};

// The transforms above with an explicit threading choice; both choices
// perform the same arithmetic and give identical results.
// `direction` is +1 for forward and -1 for backward.
void fftTransform(float* data, int n, int direction, FftThreading threading);

} // namespace engine
