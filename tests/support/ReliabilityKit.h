#pragma once
// Helpers for the reliability tests: a check that every output sample is a
// clean number, small signals and IR files written with libsndfile.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <sndfile.h>
#include <string>
#include <vector>

namespace reliability {

// Finite, and either exactly 0 or a normal float: no NaN, no infinity, no denormal.
inline bool isCleanSample(float x)
{
    return std::isfinite(x) && (x == 0.0f || std::fabs(x) >= FLT_MIN);
}

// Accumulates what came out of the effect and remembers the first bad sample.
struct OutputCheck {
    long samples = 0;
    long bad = 0;
    long firstBadIndex = -1;
    float firstBad = 0.0f;
    double energy = 0.0;
    float peak = 0.0f;

    void add(const float* data, int n)
    {
        for (int i = 0; i < n; ++i) {
            const float x = data[i];
            if (!isCleanSample(x)) {
                if (bad++ == 0) {
                    firstBadIndex = samples + i;
                    firstBad = x;
                }
                continue;
            }
            energy += static_cast<double>(x) * x;
            peak = std::fmax(peak, std::fabs(x));
        }
        samples += n;
    }
    bool clean() const { return bad == 0; }
    std::string describe() const
    {
        return std::to_string(bad) + " bad of " + std::to_string(samples) + " samples, first at " +
               std::to_string(firstBadIndex) + " = " + std::to_string(firstBad);
    }
};

// Deterministic white noise in -amplitude .. amplitude.
class Noise {
public:
    explicit Noise(std::uint32_t start = 1u) : state_(start ? start : 1u) {}
    float next(float amplitude = 0.5f)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return amplitude * (static_cast<float>(state_ & 0xffffffu) / 8388608.0f - 1.0f);
    }
    void fill(float* data, int n, float amplitude = 0.5f)
    {
        for (int i = 0; i < n; ++i)
            data[i] = next(amplitude);
    }

private:
    std::uint32_t state_;
};

// Writes interleaved frames as a WAV file (32-bit float unless told otherwise).
inline bool writeWav(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
                     int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / static_cast<size_t>(channels));
    const bool ok = sf_writef_float(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

// A room-like IR: an exponentially decaying noise tail that falls by 60 dB in
// `decaySeconds`, interleaved.
inline std::vector<float> decayingNoiseIR(int frames, int channels, int rate, std::uint32_t start = 7u,
                                          double decaySeconds = 0.25)
{
    Noise noise(start);
    std::vector<float> ir(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    const double perFrame = std::exp(-6.9 / (decaySeconds * rate));
    double level = 1.0;
    for (int i = 0; i < frames; ++i, level *= perFrame)
        for (int c = 0; c < channels; ++c)
            ir[static_cast<size_t>(i) * channels + c] = static_cast<float>(level) * noise.next(1.0f);
    ir[0] = 1.0f;  // a clear onset, so that no lead is trimmed
    return ir;
}

} // namespace reliability
