#include "IRDataTestKit.h"

#include "support/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace irdatatest {

namespace {

void put16(std::string& s, std::uint32_t v)
{
    s.push_back(static_cast<char>(v & 0xff));
    s.push_back(static_cast<char>((v >> 8) & 0xff));
}

void put32(std::string& s, std::uint32_t v)
{
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

std::string wavImage(int tag, int channels, int rate, int bytesPerSample, const std::string& data)
{
    std::string fmt;
    put16(fmt, static_cast<std::uint32_t>(tag));
    put16(fmt, static_cast<std::uint32_t>(channels));
    put32(fmt, static_cast<std::uint32_t>(rate));
    put32(fmt, static_cast<std::uint32_t>(rate * channels * bytesPerSample));
    put16(fmt, static_cast<std::uint32_t>(channels * bytesPerSample));
    put16(fmt, static_cast<std::uint32_t>(bytesPerSample * 8));

    std::string out = "RIFF";
    put32(out, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + data.size()));
    out += "WAVEfmt ";
    put32(out, static_cast<std::uint32_t>(fmt.size()));
    out += fmt;
    out += "data";
    put32(out, static_cast<std::uint32_t>(data.size()));
    out += data;
    return out;
}

void putSample(std::string& data, float v, bool pcm16)
{
    if (pcm16) {
        const long q = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        put16(data, static_cast<std::uint32_t>(q) & 0xffff);
    } else {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        put32(data, bits);
    }
}

} // namespace

void writeWav(const std::string& path, int rate, const std::vector<float>& left, const std::vector<float>& right,
              bool pcm16)
{
    const int channels = right.empty() ? 1 : 2;
    std::string data;
    for (std::size_t i = 0; i < left.size(); ++i) {
        putSample(data, left[i], pcm16);
        if (channels == 2)
            putSample(data, i < right.size() ? right[i] : 0.0f, pcm16);
    }
    testsupport::writeFile(path, wavImage(pcm16 ? 1 : 3, channels, rate, pcm16 ? 2 : 4, data));
}

void writeWavWithTag(const std::string& path, int tag, int rate, const std::vector<float>& mono)
{
    std::string data;
    for (float v : mono)
        putSample(data, v, true);
    testsupport::writeFile(path, wavImage(tag, 1, rate, 2, data));
}

int RecordingSink::setCurve(int slot, const float* values, int count, const char* label, ir::CurveColour colour)
{
    CurveCall call;
    call.slot = slot;
    call.label = label;
    call.colour = colour;
    call.values.assign(values, values + count);
    call.timeRange = timeRange_;
    call.samplesInRange = samplesInRange_;
    curves.push_back(std::move(call));
    return slot >= 0 && slot < kSlotCount ? 0 : -1;
}

int RecordingSink::setEnvelopeCurve(int slot, const float* left, const float* right, ir::CurveColour colour)
{
    EnvelopeCall call;
    call.slot = slot;
    call.colour = colour;
    call.left.assign(left, left + kCurveSamples);
    call.right.assign(right, right + kCurveSamples);
    call.timeRange = timeRange_;
    call.samplesInRange = samplesInRange_;
    envelopes.push_back(std::move(call));
    return slot >= 0 && slot < kSlotCount ? 0 : -1;
}

Response impulseResponse(engine::ConvolutionEngine& engine, int frames)
{
    engine.reset();
    engine.setInputRouting(1.0);
    const int total = engine::ConvolutionEngine::kLatencyFrames + frames;
    std::vector<float> inL(static_cast<std::size_t>(total), 0.0f);
    std::vector<float> inR(inL.size(), 0.0f);
    inL[0] = 1.0f;
    inR[0] = 1.0f;
    std::vector<float> dryL(inL.size()), dryR(inL.size()), wetL(inL.size()), wetR(inL.size());
    engine.exchange(inL.data(), inR.data(), dryL.data(), dryR.data(), wetL.data(), wetR.data(), total);
    Response r;
    r.left.assign(wetL.begin() + engine::ConvolutionEngine::kLatencyFrames, wetL.end());
    r.right.assign(wetR.begin() + engine::ConvolutionEngine::kLatencyFrames, wetR.end());
    return r;
}

} // namespace irdatatest
