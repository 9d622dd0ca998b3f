#include "host/HostCommands.h"

#include "host/EditorWindow.h"
#include "host/HostSettings.h"
#include "host/HostSystem.h"
#include "host/InputChecks.h"
#include "host/PluginHost.h"
#include "host/Render.h"
#include "host/StateFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kPathFirstParam = 23;
constexpr int kPathCommitParam = 103;

int fail(const std::string& message, int status = 1)
{
    std::fprintf(stderr, "rvbhost: %s\n", message.c_str());
    return status;
}

double decibels(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
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

// The --at changes as the render makes them: ids resolved, in frame order (the
// command line's order among changes at the same frame), none past the end.
bool timedChanges(PluginHost& host, const HostSettings& s, long long renderFrames,
                  std::vector<ParameterChange>& changes, std::string& error)
{
    for (const TimedChange& c : s.changes) {
        const int id = parameterId(host, c.name);
        if (id < 0) {
            error = "no parameter named " + c.name;
            return false;
        }
        if (c.frame >= renderFrames) {
            error = "--at " + std::to_string(c.frame) + " lies past the end of the render (" +
                    std::to_string(renderFrames) + " frames)";
            return false;
        }
        changes.push_back({c.frame, id, c.value});
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const ParameterChange& a, const ParameterChange& b) { return a.frame < b.frame; });
    return true;
}

int renderCommand(PluginHost& host, const HostSettings& s)
{
    if (s.positional.size() != 3)
        return fail("render IN OUT", 2);
    RenderOptions options;
    options.inputPath = s.positional[1];
    options.outputPath = s.positional[2];
    std::string error;

    // Everything that can be known to fail is refused before anything is written.
    AudioInput input;
    if (!checkAudioInput(options.inputPath, input, error))
        return fail(error);
    if (input.truncated()) {
        const std::string what = options.inputPath + " is truncated: its header declares " +
                                 std::to_string(input.declared) + " frames, the file holds " +
                                 std::to_string(input.frames);
        if (!s.allowTruncated)
            return fail(what + " (--allow-truncated renders the frames that are there)");
        std::fprintf(stderr, "rvbhost: warning: %s; rendering those\n", what.c_str());
    }
    if (!checkDistinctOutput(options.outputPath, {options.inputPath, s.irPath, s.statePath}, error))
        return fail(error);
    if (!checkSettings(s, static_cast<float>(input.sampleRate), error))
        return fail(error);

    host.setProcessLevel(PluginHost::kProcessLevelOffline);
    host.start(static_cast<float>(input.sampleRate), s.block);
    if (!applySettings(host, s, error))
        return fail(error);
    options.blockSize = s.block;
    options.compensateLatency = s.compensate;
    options.renderTail = s.tail;
    options.showProgress = !s.quiet && stderrIsTerminal();
    options.inputFrames = input.frames;
    if (!timedChanges(host, s, renderedFrames(host, options, input.sampleRate), options.changes, error))
        return fail(error);

    RenderResult result;
    if (!renderFile(host, options, result, error))
        return fail(error);
    if (!s.quiet)
        std::printf("wrote %s: %lld frames (%lld input) at %d Hz in %.2f s; peak %.1f dBFS, RMS %.1f dBFS%s\n",
                    options.outputPath.c_str(), result.outputFrames, result.inputFrames, input.sampleRate,
                    result.seconds, decibels(result.peak), decibels(result.rms),
                    result.finite ? "" : ", NON-FINITE SAMPLES");
    return result.finite ? 0 : 1;
}

int editorCommand(PluginHost& host, const HostSettings& s)
{
    std::string error;
    if (!checkSettings(s, s.rate, error))
        return fail(error);
    host.start(s.rate, s.block);
    if (!applySettings(host, s, error))
        return fail(error);
    EditorWindowOptions options;
    options.screenshotPath = s.screenshotPath;
    options.seconds = s.seconds;
    EditorWindowResult result;
    if (!runEditorWindow(host, options, result, error))
        return fail(error);
    if (!s.quiet)
        std::printf("editor %dx%d, %d idle calls%s%s\n", result.width, result.height, result.idleCalls,
                    s.screenshotPath.empty() ? "" : ", picture in ", s.screenshotPath.c_str());
    return 0;
}

int stateCommand(PluginHost& host, const HostSettings& s)
{
    const std::string& verb = s.positional[1];
    const std::string& file = s.positional[2];
    std::string error;
    if (verb == "save") {
        if (!checkDistinctOutput(file, {s.irPath, s.statePath}, error) || !checkSettings(s, s.rate, error))
            return fail(error);
        host.start(s.rate, s.block);
        if (!applySettings(host, s, error) || !statefile::save(file, statefile::capture(host), error))
            return fail(error);
        return 0;
    }
    if (verb == "load") {
        HostSettings withState = s;
        withState.statePath = file;
        if (!checkSettings(withState, s.rate, error))
            return fail(error);
        host.start(s.rate, s.block);
        if (!applySettings(host, withState, error))
            return fail(error);
        return printInfo(host);
    }
    return fail("state save FILE | state load FILE", 2);
}

} // namespace

int runHostCommand(const std::vector<std::string>& args)
{
    HostSettings s;
    s.plugin = defaultPluginPath();
    std::string error;
    if (!parseHostSettings(args, s, error))
        return fail(error, 2);
    if (s.positional.empty())
        return fail("no command", 2);
    const std::string command = s.positional[0];
    if (!s.changes.empty() && command != "render")
        return fail("--at changes parameters during a render only", 2);

    // The plug-in's dialogs answer from this file instead of asking anyone.
    if (!s.dialogScript.empty())
        setEnvironmentVariable("RVB_DIALOG_SCRIPT", s.dialogScript);

    PluginHost host;
    if (!host.load(s.plugin, s.hostOptions))
        return fail(host.error());

    if (command == "info") {
        host.start(s.rate, s.block);
        return printInfo(host);
    }
    if (command == "render")
        return renderCommand(host, s);
    if (command == "editor")
        return editorCommand(host, s);
    if (command == "state" && s.positional.size() == 3)
        return stateCommand(host, s);
    return fail("unknown command", 2);
}
