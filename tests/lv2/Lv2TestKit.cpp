#include "lv2/Lv2TestKit.h"

#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "vst/VstInterface.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <dlfcn.h>
#include <limits>

namespace lv2test {

namespace {

// xorshift32: the same numbers on every machine.
class Random {
public:
    explicit Random(unsigned stream) : state_(stream ? stream : 1u) {}
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

void writeStereoWav(const std::string& path, const Stereo& audio, int rate, bool floatSamples)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | (floatSamples ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24);
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

Stereo readStereoWav(const std::string& path)
{
    SF_INFO info{};
    Stereo audio;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return audio;
    if (info.channels == 2) {
        std::vector<float> frames(static_cast<std::size_t>(info.frames) * 2);
        sf_readf_float(file, frames.data(), info.frames);
        for (std::size_t i = 0; i < frames.size(); i += 2) {
            audio.left.push_back(frames[i]);
            audio.right.push_back(frames[i + 1]);
        }
    }
    sf_close(file);
    return audio;
}

void writeNoiseIR(const std::string& path, int frames, int rate, unsigned stream)
{
    Random random(stream);
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

Stereo noise(int frames, unsigned stream)
{
    Random random(stream);
    Stereo s;
    for (int i = 0; i < frames; ++i) {
        s.left.push_back(0.25f * random.next());
        s.right.push_back(0.25f * random.next());
    }
    return s;
}

namespace {

// The VST 2.4 host of the reference renders: it says it renders offline, as
// the LV2 instances here are told by their free-wheeling port, so that every
// change is in force from a fixed frame in both shells.
constexpr vst::IntPtr kProcessLevelOffline = 4;

vst::IntPtr offlineHost(vst::AEffect*, vst::Int32 opcode, vst::Int32, vst::IntPtr, void*, float)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return 2400;
    case vst::audioMasterGetCurrentProcessLevel:
        return kProcessLevelOffline;
    default:
        return 0;
    }
}

} // namespace

std::vector<Setting> irFileSettings(const std::string& irPath)
{
    float values[param::kPathParamValues];
    EXPECT_TRUE(param::encodePathToParams(irPath.c_str(), values));
    std::vector<Setting> settings;
    for (int k = 0; k < param::kPathParamValues; ++k)
        settings.push_back({param::kPathFirst + k, values[k]});
    settings.push_back({param::kPathCommit, 0.0f});
    return settings;
}

Stereo renderWithVst(const std::string& irPath, const std::vector<Setting>& settings, int rate, int block,
                     const Stereo& input, const std::vector<TimedSetting>& changes,
                     const char* plugin)
{
    Stereo output;
    void* library = dlopen(plugin ? plugin : RVB_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        ADD_FAILURE() << dlerror();
        return output;
    }
    using Entry = vst::AEffect* (*)(vst::HostCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    vst::AEffect* effect = entry ? entry(offlineHost) : nullptr;
    if (!effect) {
        ADD_FAILURE() << "the VST 2.4 plug-in made no effect";
        dlclose(library);
        return output;
    }
    auto dispatch = [effect](vst::Int32 opcode, vst::IntPtr value = 0, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
    };
    dispatch(vst::effSetSampleRate, 0, static_cast<float>(rate));
    dispatch(vst::effSetBlockSize, block);
    dispatch(vst::effMainsChanged, 1);
    for (const Setting& s : settings)
        effect->setParameter(effect, s.id, s.normalised);
    if (!irPath.empty())
        for (const Setting& s : irFileSettings(irPath))
            effect->setParameter(effect, s.id, s.normalised);
    const long frames = static_cast<long>(input.left.size());
    output.left.assign(input.left.size(), 0.0f);
    output.right.assign(input.right.size(), 0.0f);
    std::vector<float> inL(static_cast<std::size_t>(block)), inR(inL), outL(inL), outR(inL);
    std::size_t next = 0; // changes are in frame order
    for (long done = 0; done < frames;) {
        for (; next < changes.size() && changes[next].frame <= done; ++next)
            effect->setParameter(effect, changes[next].id, changes[next].normalised);
        long end = std::min<long>(frames, done + block);
        if (next < changes.size())
            end = std::min(end, changes[next].frame);
        const std::size_t n = static_cast<std::size_t>(end - done);
        std::copy_n(input.left.begin() + done, n, inL.begin());
        std::copy_n(input.right.begin() + done, n, inR.begin());
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        effect->processReplacing(effect, in, out, static_cast<vst::Int32>(n));
        std::copy_n(outL.begin(), n, output.left.begin() + done);
        std::copy_n(outR.begin(), n, output.right.begin() + done);
        done = end;
    }
    dispatch(vst::effMainsChanged, 0);
    dispatch(vst::effClose);
    dlclose(library);
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
