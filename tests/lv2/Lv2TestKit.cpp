#include "lv2/Lv2TestKit.h"

#include "host/PluginHost.h"
#include "params/PathParams.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace lv2test {

namespace {

// xorshift32: the same numbers on every machine.
class Random {
public:
    explicit Random(unsigned seed) : state_(seed ? seed : 1u) {}
    float next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(state_) / 4294967296.0f * 2.0f - 1.0f;
    }

private:
    std::uint32_t state_;
};

} // namespace

void writeStereoWav(const std::string& path, const Stereo& audio, int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> frames(2 * audio.left.size());
    for (std::size_t i = 0; i < audio.left.size(); ++i) {
        frames[2 * i] = audio.left[i];
        frames[2 * i + 1] = audio.right[i];
    }
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(audio.left.size()));
    sf_close(file);
}

void writeNoiseIR(const std::string& path, int frames, int rate, unsigned seed)
{
    Random random(seed);
    Stereo ir;
    ir.left.resize(static_cast<std::size_t>(frames));
    ir.right.resize(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const float envelope = std::exp(-6.0f * static_cast<float>(i) / static_cast<float>(frames));
        ir.left[static_cast<std::size_t>(i)] = 0.9f * envelope * random.next();
        ir.right[static_cast<std::size_t>(i)] = 0.9f * envelope * random.next();
    }
    // a clear onset, so that no lead is trimmed
    ir.left[0] = 0.9f;
    ir.right[0] = 0.9f;
    writeStereoWav(path, ir, rate);
}

Stereo impulse(int frames, int at)
{
    Stereo s{std::vector<float>(static_cast<std::size_t>(frames), 0.0f),
             std::vector<float>(static_cast<std::size_t>(frames), 0.0f)};
    s.left[static_cast<std::size_t>(at)] = 0.5f;
    s.right[static_cast<std::size_t>(at)] = 0.5f;
    return s;
}

Stereo noise(int frames, unsigned seed)
{
    Random random(seed);
    Stereo s;
    for (int i = 0; i < frames; ++i) {
        s.left.push_back(0.25f * random.next());
        s.right.push_back(0.25f * random.next());
    }
    return s;
}

Stereo renderWithVst(const std::string& irPath, const std::vector<Setting>& settings, int rate, int block,
                     const Stereo& input)
{
    Stereo output;
    PluginHost host;
    if (!host.load(RVB_PLUGIN_PATH)) {
        ADD_FAILURE() << host.error();
        return output;
    }
    host.start(static_cast<float>(rate), block);
    for (const Setting& s : settings)
        host.setParameter(s.id, s.normalised);
    if (!irPath.empty()) {
        float values[param::kPathParamValues];
        EXPECT_TRUE(param::encodePathToParams(irPath.c_str(), values));
        for (int k = 0; k < param::kPathParamValues; ++k)
            host.setParameter(23 + k, values[k]);
        host.setParameter(103, 0.0f);
    }
    const std::size_t frames = input.left.size();
    output.left.assign(frames, 0.0f);
    output.right.assign(frames, 0.0f);
    std::vector<float> inL(static_cast<std::size_t>(block)), inR(inL), outL(inL), outR(inL);
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(block), frames - done);
        std::copy_n(input.left.begin() + static_cast<long>(done), n, inL.begin());
        std::copy_n(input.right.begin() + static_cast<long>(done), n, inR.begin());
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        host.processReplacing(in, out, static_cast<int>(n));
        std::copy_n(outL.begin(), n, output.left.begin() + static_cast<long>(done));
        std::copy_n(outR.begin(), n, output.right.begin() + static_cast<long>(done));
        done += n;
    }
    return output;
}

float maxDifference(const Stereo& a, const Stereo& b)
{
    if (a.left.size() != b.left.size() || a.right.size() != b.right.size())
        return std::numeric_limits<float>::infinity();
    float worst = 0.0f;
    for (std::size_t i = 0; i < a.left.size(); ++i)
        worst = std::max({worst, std::fabs(a.left[i] - b.left[i]), std::fabs(a.right[i] - b.right[i])});
    return worst;
}

double energy(const Stereo& audio)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < audio.left.size(); ++i)
        sum += static_cast<double>(audio.left[i]) * audio.left[i] + static_cast<double>(audio.right[i]) * audio.right[i];
    return sum;
}

} // namespace lv2test
