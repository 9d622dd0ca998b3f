#include "host/HostCommands.h"

#include "host/EditorWindow.h"
#include "host/HostSystem.h"
#include "host/PluginHost.h"
#include "host/Render.h"
#include "host/StateFile.h"
#include "params/PathParams.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kPathFirstParam = 23;
constexpr int kPathCommitParam = 103;

struct Settings {
    std::string plugin = defaultPluginPath();
    std::string irPath;
    std::string statePath;
    std::vector<std::pair<std::string, float>> sets;
    float rate = 44100.0f;
    bool rateGiven = false;
    int block = 512;
    bool compensate = true;
    bool tail = true;
    bool quiet = false;
    PluginHost::Options hostOptions;
    std::string dialogScript;  // answers for the plug-in's dialogs (RVB_DIALOG_SCRIPT)
    std::string screenshotPath;
    double seconds = 1.0;
    std::vector<std::string> positional;
};

bool parse(const std::vector<std::string>& args, Settings& s, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--plugin") {
            if (!next(s.plugin)) return false;
        } else if (a == "--ir") {
            if (!next(s.irPath)) return false;
        } else if (a == "--state") {
            if (!next(s.statePath)) return false;
        } else if (a == "--set") {
            if (!next(v)) return false;
            const size_t eq = v.rfind('=');
            if (eq == std::string::npos || eq == 0) {
                error = "--set wants NAME=VALUE, got " + v;
                return false;
            }
            char* end = nullptr;
            const float value = std::strtof(v.c_str() + eq + 1, &end);
            if (!end || *end) {
                error = "not a number in --set " + v;
                return false;
            }
            s.sets.emplace_back(v.substr(0, eq), value);
        } else if (a == "--rate") {
            if (!next(v)) return false;
            s.rate = std::strtof(v.c_str(), nullptr);
            s.rateGiven = true;
        } else if (a == "--block") {
            if (!next(v)) return false;
            s.block = std::atoi(v.c_str());
            if (s.block < 1) {
                error = "--block must be at least 1";
                return false;
            }
        } else if (a == "--screenshot") {
            if (!next(s.screenshotPath)) return false;
        } else if (a == "--seconds") {
            if (!next(v)) return false;
            char* end = nullptr;
            s.seconds = std::strtod(v.c_str(), &end);
            if (!end || *end || !(s.seconds >= 0.0 && s.seconds <= 3600.0)) {
                error = "--seconds wants a number from 0 to 3600, got " + v;
                return false;
            }
        } else if (a == "--no-compensation") {
            s.compensate = false;
        } else if (a == "--no-tail") {
            s.tail = false;
        } else if (a == "--quiet") {
            s.quiet = true;
        } else if (a == "--dialog-script") {
            if (!next(s.dialogScript)) return false;
        } else if (a == "--file-selector") {
            s.hostOptions.offerFileSelector = true;
            if (!next(s.hostOptions.fileSelectorAnswer)) return false;
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option " + a;
            return false;
        } else {
            s.positional.push_back(a);
        }
    }
    return true;
}

double decibels(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
}

int parameterId(PluginHost& host, const std::string& nameOrId)
{
    char* end = nullptr;
    const long id = std::strtol(nameOrId.c_str(), &end, 10);
    if (end && !*end && id >= 0 && id < host.effect()->numParams)
        return static_cast<int>(id);
    return host.findParameter(nameOrId);
}

// State file, IR and --set options, in the order a project restore would bring them.
bool applySettings(PluginHost& host, const Settings& s, std::string& error)
{
    if (!s.statePath.empty()) {
        std::vector<float> values;
        if (!statefile::load(s.statePath, values, error))
            return false;
        statefile::restore(host, values);
    }
    if (!s.irPath.empty()) {
        float values[param::kPathParamValues];
        if (!param::encodePathToParams(s.irPath.c_str(), values)) {
            error = "IR path too long for the path parameters (at most " +
                    std::to_string(param::kMaxStoredPathLength) + " bytes): " + s.irPath;
            return false;
        }
        for (int k = 0; k < param::kPathParamValues; ++k)
            host.setParameter(kPathFirstParam + k, values[k]);
        host.setParameter(kPathCommitParam, 0.0f);
    }
    for (const auto& [name, value] : s.sets) {
        const int id = parameterId(host, name);
        if (id < 0) {
            error = "no parameter named " + name;
            return false;
        }
        host.setParameter(id, value);
    }
    return true;
}

int printInfo(PluginHost& host)
{
    vst::AEffect* e = host.effect();
    std::printf("effect:   %s\n", host.effectName().c_str());
    std::printf("vendor:   %s (version %ld)\n", host.vendorString().c_str(),
                static_cast<long>(host.dispatch(vst::effGetVendorVersion)));
    std::printf("product:  %s\n", host.productString().c_str());
    std::printf("unique id: 0x%08X  version %d  VST %ld  category %ld\n", static_cast<unsigned>(e->uniqueID),
                e->version, static_cast<long>(host.dispatch(vst::effGetVstVersion)),
                static_cast<long>(host.dispatch(vst::effGetPlugCategory)));
    std::printf("inputs %d, outputs %d, flags 0x%X, latency %d frames\n", e->numInputs, e->numOutputs,
                static_cast<unsigned>(e->flags), e->initialDelay);
    std::printf("programs (%d):", e->numPrograms);
    for (int p = 0; p < e->numPrograms; ++p)
        std::printf(" %s%s", p ? "| " : "", host.programNameIndexed(p).c_str());
    std::printf("\nparameters (%d):\n", e->numParams);
    for (int i = 0; i < e->numParams; ++i) {
        if (i >= kPathFirstParam && i < kPathCommitParam)
            continue;
        std::printf("  %3d  %-16s %.6f\n", i, host.parameterName(i).c_str(), host.getParameter(i));
    }
    std::printf("  %d..%d path parameters\n", kPathFirstParam, kPathCommitParam - 1);
    return 0;
}

} // namespace

int runHostCommand(const std::vector<std::string>& args)
{
    Settings s;
    std::string error;
    if (!parse(args, s, error)) {
        std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
        return 2;
    }
    if (s.positional.empty()) {
        std::fprintf(stderr, "rvbhost: no command\n");
        return 2;
    }
    const std::string command = s.positional[0];

    // The plug-in's dialogs answer from this file instead of asking anyone.
    if (!s.dialogScript.empty())
        setEnvironmentVariable("RVB_DIALOG_SCRIPT", s.dialogScript);

    PluginHost host;
    if (!host.load(s.plugin, s.hostOptions)) {
        std::fprintf(stderr, "rvbhost: %s\n", host.error().c_str());
        return 1;
    }

    if (command == "info") {
        host.start(s.rate, s.block);
        return printInfo(host);
    }

    if (command == "render") {
        if (s.positional.size() != 3) {
            std::fprintf(stderr, "rvbhost: render IN OUT\n");
            return 2;
        }
        int rate = 0;
        long long frames = 0;
        if (!probeAudioFile(s.positional[1], rate, frames, error)) {
            std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
            return 1;
        }
        host.start(static_cast<float>(rate), s.block);
        if (!applySettings(host, s, error)) {
            std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
            return 1;
        }
        RenderOptions options;
        options.inputPath = s.positional[1];
        options.outputPath = s.positional[2];
        options.blockSize = s.block;
        options.compensateLatency = s.compensate;
        options.renderTail = s.tail;
        options.showProgress = !s.quiet && stderrIsTerminal();
        RenderResult result;
        if (!renderFile(host, options, result, error)) {
            std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
            return 1;
        }
        if (!s.quiet)
            std::printf("wrote %s: %lld frames (%lld input) at %d Hz in %.2f s; peak %.1f dBFS, RMS %.1f dBFS%s\n",
                        options.outputPath.c_str(), result.outputFrames, result.inputFrames, rate, result.seconds,
                        decibels(result.peak), decibels(result.rms), result.finite ? "" : ", NON-FINITE SAMPLES");
        return result.finite ? 0 : 1;
    }

    if (command == "editor") {
        host.start(s.rate, s.block);
        if (!applySettings(host, s, error)) {
            std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
            return 1;
        }
        EditorWindowOptions options;
        options.screenshotPath = s.screenshotPath;
        options.seconds = s.seconds;
        EditorWindowResult result;
        if (!runEditorWindow(host, options, result, error)) {
            std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
            return 1;
        }
        if (!s.quiet)
            std::printf("editor %dx%d, %d idle calls%s%s\n", result.width, result.height, result.idleCalls,
                        s.screenshotPath.empty() ? "" : ", picture in ", s.screenshotPath.c_str());
        return 0;
    }

    if (command == "state" && s.positional.size() == 3) {
        host.start(s.rate, s.block);
        const std::string& file = s.positional[2];
        if (s.positional[1] == "save") {
            if (!applySettings(host, s, error) || !statefile::save(file, statefile::capture(host), error)) {
                std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
                return 1;
            }
            return 0;
        }
        if (s.positional[1] == "load") {
            Settings withState = s;
            withState.statePath = file;
            if (!applySettings(host, withState, error)) {
                std::fprintf(stderr, "rvbhost: %s\n", error.c_str());
                return 1;
            }
            return printInfo(host);
        }
    }

    std::fprintf(stderr, "rvbhost: unknown command\n");
    return 2;
}
