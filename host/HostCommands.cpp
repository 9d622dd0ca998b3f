#include "host/HostCommands.h"

#include "host/EditorWindow.h"
#include "host/HostSettings.h"
#include "host/HostSystem.h"
#include "host/InputChecks.h"
#include "host/PluginEditor.h"
#include "host/PluginHost.h"
#include "host/Render.h"
#include "host/Vst2Plugin.h"
#include "host/Vst3Plugin.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

int fail(const std::string& message, int status = 1)
{
    std::fprintf(stderr, "rvbhost: %s\n", message.c_str());
    return status;
}

double decibels(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : -INFINITY;
}

// The --at changes as the render makes them: ids resolved, in frame order (the
// command line's order among changes at the same frame), none past the end.
bool timedChanges(LoadedPlugin& plugin, const HostSettings& s, long long renderFrames,
                  std::vector<ParameterChange>& changes, std::string& error)
{
    for (const TimedChange& c : s.changes) {
        const int id = parameterId(plugin, c.name);
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

int renderCommand(LoadedPlugin& plugin, const HostSettings& s)
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
    if (!checkSettings(plugin, s, static_cast<float>(input.sampleRate), error))
        return fail(error);

    plugin.setOffline(true);
    plugin.start(static_cast<float>(input.sampleRate), s.block);
    if (!applySettings(plugin, s, error))
        return fail(error);
    options.blockSize = s.block;
    options.compensateLatency = s.compensate;
    options.renderTail = s.tail;
    options.showProgress = !s.quiet && stderrIsTerminal();
    options.inputFrames = input.frames;
    if (!timedChanges(plugin, s, renderedFrames(plugin, options, input.sampleRate), options.changes, error))
        return fail(error);

    RenderResult result;
    if (!renderFile(plugin, options, result, error))
        return fail(error);
    if (!s.quiet)
        std::printf("wrote %s: %lld frames (%lld input) at %d Hz in %.2f s; peak %.1f dBFS, RMS %.1f dBFS%s\n",
                    options.outputPath.c_str(), result.outputFrames, result.inputFrames, input.sampleRate,
                    result.seconds, decibels(result.peak), decibels(result.rms),
                    result.finite ? "" : ", NON-FINITE SAMPLES");
    return result.finite ? 0 : 1;
}

int editorCommand(LoadedPlugin& plugin, const HostSettings& s)
{
    std::string error;
    if (!checkSettings(plugin, s, s.rate, error))
        return fail(error);
    plugin.start(s.rate, s.block);
    if (!applySettings(plugin, s, error))
        return fail(error);
    std::unique_ptr<PluginEditor> editor = plugin.makeEditor(error);
    if (!editor)
        return fail(error);
    EditorWindowOptions options;
    options.screenshotPath = s.screenshotPath;
    options.seconds = s.seconds;
    EditorWindowResult result;
    if (!runEditorWindow(*editor, options, result, error))
        return fail(error);
    if (!s.quiet)
        std::printf("editor %dx%d, %d idle calls%s%s\n", result.width, result.height, result.idleCalls,
                    s.screenshotPath.empty() ? "" : ", picture in ", s.screenshotPath.c_str());
    return 0;
}

int stateCommand(LoadedPlugin& plugin, const HostSettings& s)
{
    const std::string& verb = s.positional[1];
    const std::string& file = s.positional[2];
    std::string error;
    if (verb == "save") {
        if (!checkDistinctOutput(file, {s.irPath, s.statePath}, error) || !checkSettings(plugin, s, s.rate, error))
            return fail(error);
        plugin.start(s.rate, s.block);
        if (!applySettings(plugin, s, error) || !plugin.saveState(file, error))
            return fail(error);
        return 0;
    }
    if (verb == "load") {
        HostSettings withState = s;
        withState.statePath = file;
        if (!checkSettings(plugin, withState, s.rate, error))
            return fail(error);
        plugin.start(s.rate, s.block);
        if (!applySettings(plugin, withState, error))
            return fail(error);
        plugin.printInfo();
        return 0;
    }
    return fail("state save FILE | state load FILE", 2);
}

// A bundle (or module) whose name ends in .vst3 is a VST 3 plug-in; anything else VST 2.4.
bool isVst3Path(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    if (path.size() < 5)
        return false;
    std::string ending = path.substr(path.size() - 5);
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".vst3";
}

int runCommand(LoadedPlugin& plugin, const HostSettings& s)
{
    const std::string& command = s.positional[0];
    if (command == "info") {
        plugin.start(s.rate, s.block);
        plugin.printInfo();
        return 0;
    }
    if (command == "render")
        return renderCommand(plugin, s);
    if (command == "editor")
        return editorCommand(plugin, s);
    if (command == "state" && s.positional.size() == 3)
        return stateCommand(plugin, s);
    return fail("unknown command", 2);
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

    if (isVst3Path(s.plugin)) {
        if (s.hostOptions.offerFileSelector)
            return fail("--file-selector is for VST 2.4 plug-ins", 2);
        Vst3Plugin plugin;
        if (!plugin.load(s.plugin, s.pluginClass, error))
            return fail(error);
        return runCommand(plugin, s);
    }
    if (!s.pluginClass.empty())
        return fail("--class chooses among the classes of a VST 3 module", 2);
    PluginHost host;
    if (!host.load(s.plugin, s.hostOptions))
        return fail(host.error());
    Vst2Plugin plugin(host, s.plugin);
    return runCommand(plugin, s);
}
