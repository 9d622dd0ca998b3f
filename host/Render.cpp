#include "host/Render.h"

#include "host/AudioFile.h"
#include "host/LoadedPlugin.h"
#include "host/OutputFile.h"
#include "host/PluginHost.h"
#include "host/WavFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Frames of silence after the input that cover the longest reverb tail: the
// longest kernel, the longest pre-delay and a margin for the filters to ring out.
long long tailFrames(int sampleRate)
{
    return 131072 + static_cast<long long>(sampleRate) * 3 / 10;
}

class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}
    void update(long long done, long long total)
    {
        if (!enabled_ || total <= 0)
            return;
        const int percent = static_cast<int>(100 * done / total);
        if (percent == last_)
            return;
        last_ = percent;
        const int width = 40;
        const int filled = width * percent / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                     width - filled, "", percent);
        std::fflush(stderr);
    }
    void finish()
    {
        if (enabled_)
            std::fprintf(stderr, "\n");
    }

private:
    bool enabled_;
    int last_ = -1;
};

// The interleaved stereo frames as the file at path, which appears only once
// every frame is in it.
bool writeOutput(const std::string& path, int sampleRate, const float* frames, long long count, std::string& error)
{
    OutputFile file;
    return file.open(path, error) && writeFloatWav(file, sampleRate, 2, frames, count, error) && file.commit(error);
}

} // namespace

long long renderedFrames(LoadedPlugin& plugin, const RenderOptions& options, int sampleRate)
{
    const long long latency = options.compensateLatency ? std::max(0, plugin.latency()) : 0;
    return latency + options.inputFrames + (options.renderTail ? tailFrames(sampleRate) : 0);
}

bool renderFile(LoadedPlugin& plugin, const RenderOptions& options, RenderResult& result, std::string& error)
{
    AudioFileReader in;
    std::string why;
    if (!in.open(options.inputPath, why)) {
        error = "cannot read " + options.inputPath + ": " + why;
        return false;
    }
    if (in.channels() < 1) {
        error = options.inputPath + " has no channels";
        return false;
    }

    const int block = std::max(1, options.blockSize);
    const long long latency = options.compensateLatency ? std::max(0, plugin.latency()) : 0;
    const long long inputFrames = std::min<long long>(options.inputFrames, in.frames());
    const long long total = renderedFrames(plugin, options, in.sampleRate());

    std::vector<float> interleavedIn(static_cast<size_t>(block) * in.channels());
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    std::vector<float> rendered; // interleaved output after the latency
    rendered.reserve(static_cast<size_t>((total - latency) * 2));
    float* ins[2] = {inL.data(), inR.data()};
    float* outs[2] = {outL.data(), outR.data()};

    ProgressBar progress(options.showProgress);
    const auto started = std::chrono::steady_clock::now();
    long long processed = 0;
    long long read = 0;
    size_t nextChange = 0;
    const bool changesWithinCalls = plugin.takesChangesWithinCalls();
    std::vector<CallChange> callChanges;
    callChanges.reserve(options.changes.size());
    while (processed < total) {
        long long end = std::min<long long>(processed + block, total);
        callChanges.clear();
        if (changesWithinCalls) {
            // Every change of this call's frames travels with it, at its frame.
            for (; nextChange < options.changes.size() && options.changes[nextChange].frame < end; ++nextChange) {
                const ParameterChange& c = options.changes[nextChange];
                callChanges.push_back({static_cast<int>(c.frame - processed), c.id, c.value});
            }
        } else {
            // Changes due now are made first; a call never runs past the next one.
            for (; nextChange < options.changes.size() && options.changes[nextChange].frame <= processed; ++nextChange)
                callChanges.push_back({0, options.changes[nextChange].id, options.changes[nextChange].value});
            if (nextChange < options.changes.size())
                end = std::min(end, options.changes[nextChange].frame);
        }
        const int frames = static_cast<int>(end - processed);
        const int wanted = static_cast<int>(std::clamp<long long>(inputFrames - read, 0, frames));
        const long long got = wanted > 0 ? in.read(interleavedIn.data(), wanted) : 0;
        if (got != wanted) {
            error = "cannot read " + options.inputPath + " after frame " + std::to_string(read);
            return false;
        }
        read += got;
        for (int i = 0; i < frames; ++i) {
            if (i < got) {
                const float* frame = &interleavedIn[static_cast<size_t>(i) * in.channels()];
                inL[i] = frame[0];
                inR[i] = in.channels() > 1 ? frame[1] : frame[0];
            } else {
                inL[i] = inR[i] = 0.0f;
            }
        }
        plugin.process(ins, outs, frames, callChanges.data(), static_cast<int>(callChanges.size()));
        for (int i = 0; i < frames; ++i) {
            const long long at = processed + i;
            if (!std::isfinite(outL[i]) || !std::isfinite(outR[i]))
                result.finite = false;
            if (at < latency)
                continue;
            rendered.push_back(outL[i]);
            rendered.push_back(outR[i]);
        }
        processed += frames;
        progress.update(processed, total);
    }
    progress.finish();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    // The tail ends where the output last rises above -140 dBFS.
    size_t keep = rendered.size() / 2;
    if (options.renderTail) {
        const size_t inputEnd = static_cast<size_t>(inputFrames);
        while (keep > inputEnd && std::fabs(rendered[2 * keep - 2]) < 1e-7f && std::fabs(rendered[2 * keep - 1]) < 1e-7f)
            --keep;
    }
    double sumSquares = 0.0;
    for (size_t i = 0; i < 2 * keep; ++i) {
        result.peak = std::max(result.peak, std::fabs(rendered[i]));
        sumSquares += static_cast<double>(rendered[i]) * rendered[i];
    }
    result.rms = keep ? std::sqrt(sumSquares / (2.0 * static_cast<double>(keep))) : 0.0;
    result.inputFrames = inputFrames;
    result.outputFrames = static_cast<long long>(keep);
    return writeOutput(options.outputPath, in.sampleRate(), rendered.data(), static_cast<long long>(keep), error);
}
