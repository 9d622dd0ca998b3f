#include "host/Vst2Plugin.h"

#include "host/IRLoadCheck.h"
#include "host/StateFile.h"
#include "host/Vst2Editor.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kPathFirstParam = 23;
constexpr int kPathCommitParam = 103;

// The IR path a state carries in its path parameters, empty when none.
std::string statedIRPath(const std::vector<float>& values)
{
    if (values.size() < static_cast<size_t>(param::kPathFirst + param::kPathCount))
        return {};
    char path[param::kPathTextCapacity];
    param::decodePathFromParams(values.data() + param::kPathFirst, path);
    return path;
}

} // namespace

int Vst2Plugin::parameterCount()
{
    return host_.effect() ? host_.effect()->numParams : 0;
}

int Vst2Plugin::parameterOfNumber(long number)
{
    return number >= 0 && number < parameterCount() ? static_cast<int>(number) : -1;
}

int Vst2Plugin::latency()
{
    return host_.effect() ? std::max(0, host_.effect()->initialDelay) : 0;
}

void Vst2Plugin::setOffline(bool offline)
{
    host_.setProcessLevel(offline ? PluginHost::kProcessLevelOffline : PluginHost::kProcessLevelUnknown);
}

void Vst2Plugin::process(float** in, float** out, int frames, const CallChange* changes, int changeCount)
{
    for (int i = 0; i < changeCount; ++i)
        host_.setParameter(changes[i].index, changes[i].value);
    host_.processReplacing(in, out, frames);
}

bool Vst2Plugin::saveState(const std::string& path, std::string& error)
{
    return statefile::save(path, statefile::capture(host_), error);
}

bool Vst2Plugin::checkStateFile(const std::string& path, std::string& irPath, std::string& error)
{
    std::vector<float> values;
    if (!statefile::load(path, values, error))
        return false;
    const std::string stated = statedIRPath(values);
    if (!stated.empty())
        irPath = stated;
    return true;
}

bool Vst2Plugin::restoreState(const std::string& path, std::string& error)
{
    std::vector<float> values;
    if (!statefile::load(path, values, error))
        return false;
    statefile::restore(host_, values);
    return true;
}

bool Vst2Plugin::commitIR(const std::string& path, std::string& error)
{
    return commitIRPath(host_, path, error);
}

bool Vst2Plugin::checkIR(const std::string& path, float sampleRate, std::string& error)
{
    return checkIRLoads(path_, path, sampleRate, error);
}

void Vst2Plugin::printInfo()
{
    vst::AEffect* e = host_.effect();
    std::printf("effect:   %s\n", host_.effectName().c_str());
    std::printf("vendor:   %s (version %ld)\n", host_.vendorString().c_str(),
                static_cast<long>(host_.dispatch(vst::effGetVendorVersion)));
    std::printf("product:  %s\n", host_.productString().c_str());
    std::printf("unique id: 0x%08X  version %d  VST %ld  category %ld\n", static_cast<unsigned>(e->uniqueID),
                e->version, static_cast<long>(host_.dispatch(vst::effGetVstVersion)),
                static_cast<long>(host_.dispatch(vst::effGetPlugCategory)));
    std::printf("inputs %d, outputs %d, flags 0x%X, latency %d frames\n", e->numInputs, e->numOutputs,
                static_cast<unsigned>(e->flags), e->initialDelay);
    std::printf("programs (%d):", e->numPrograms);
    for (int p = 0; p < e->numPrograms; ++p)
        std::printf(" %s%s", p ? "| " : "", host_.programNameIndexed(p).c_str());
    std::printf("\nparameters (%d):\n", e->numParams);
    for (int i = 0; i < e->numParams; ++i) {
        if (i >= kPathFirstParam && i < kPathCommitParam)
            continue;
        std::printf("  %3d  %-16s %.6f\n", i, host_.parameterName(i).c_str(), host_.getParameter(i));
    }
    std::printf("  %d..%d path parameters\n", kPathFirstParam, kPathCommitParam - 1);
}

std::unique_ptr<PluginEditor> Vst2Plugin::makeEditor(std::string&)
{
    return std::make_unique<Vst2Editor>(host_);
}
