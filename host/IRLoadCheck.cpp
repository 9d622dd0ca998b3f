#include "host/IRLoadCheck.h"

#include "host/InputChecks.h"
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kProbeBlock = 4096;

bool isSplitPairHalf(const std::string& path)
{
    return path.size() > 2 && (path.compare(path.size() - 2, 2, ".L") == 0 || path.compare(path.size() - 2, 2, ".R") == 0);
}

// An impulse through the wet path only: any sound once the latency has passed
// comes from an IR.
bool answersAnImpulse(PluginHost& host)
{
    const long long latency = std::max(0, host.effect()->initialDelay);
    std::vector<float> inL(kProbeBlock, 0.0f), inR(kProbeBlock, 0.0f), outL(kProbeBlock), outR(kProbeBlock);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    inL[0] = inR[0] = 1.0f;
    for (long long done = 0; done < latency + kProbeBlock; done += kProbeBlock) {
        host.processReplacing(in, out, kProbeBlock);
        inL[0] = inR[0] = 0.0f;
        for (int i = 0; i < kProbeBlock; ++i)
            if (outL[static_cast<size_t>(i)] != 0.0f || outR[static_cast<size_t>(i)] != 0.0f)
                return true;
    }
    return false;
}

} // namespace

bool commitIRPath(PluginHost& host, const std::string& path, std::string& error)
{
    float values[param::kPathCount];
    if (!param::encodePathToParams(path.c_str(), values)) {
        error = "IR path too long for the path parameters (at most " + std::to_string(param::kMaxStoredPathLength) +
                " bytes): " + path;
        return false;
    }
    for (int k = 0; k < param::kPathCount; ++k)
        host.setParameter(param::kPathFirst + k, values[k]);
    host.setParameter(param::kPathCommit, 0.0f);
    return true;
}

bool checkIRLoads(const std::string& plugin, const std::string& path, float sampleRate, std::string& error)
{
    if (isSplitPairHalf(path)) {
        const std::string stem = path.substr(0, path.size() - 2);
        if (!checkReadableFile(stem + ".L", "IR", error) || !checkReadableFile(stem + ".R", "IR", error))
            return false;
    } else if (!checkReadableFile(path, "IR", error)) {
        return false;
    }
    PluginHost probe;
    if (!probe.load(plugin)) {
        error = probe.error();
        return false;
    }
    // Offline: a plug-in that builds its kernel on a thread of its own has it in
    // place before the first process call goes on.
    probe.setProcessLevel(PluginHost::kProcessLevelOffline);
    probe.start(sampleRate, kProbeBlock);
    probe.setParameter(param::kDryLevel, 0.0f);  // -30 dB: silence
    if (!commitIRPath(probe, path, error))
        return false;
    if (!answersAnImpulse(probe)) {
        error = "the plug-in could not load the IR " + path + " (not a WAV, AIFF or .L/.R file it can read)";
        return false;
    }
    return true;
}
