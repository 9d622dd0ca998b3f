#include "platform/DesktopServices.h"

#include "platform/ChildProcess.h"
#include "platform/DialogCommands.h"
#include "platform/DialogScript.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace platform {

namespace {

// Where no dialog can be shown the user still deserves to see the text somewhere.
void reportOnStderr(const char* what, const std::string& caption, const std::string& text)
{
    std::fprintf(stderr, "[%s] %s: %s\n", what, caption.c_str(), text.c_str());
}

// Runs the first installed tool of the list; false when none could be started.
template <typename MakeCommand>
bool runFirstAvailable(const std::vector<DialogTool>& tools, MakeCommand makeCommand, bool captureOutput,
                       DialogTool& used, ChildResult& result)
{
    if (!haveGraphicalSession())
        return false;
    for (DialogTool tool : tools) {
        if (findExecutable(dialogProgram(tool)).empty())
            continue;
        result = runChild(makeCommand(tool), captureOutput);
        if (result.started) {
            used = tool;
            return true;
        }
    }
    return false;
}

} // namespace

std::uint32_t DesktopServices::tickCount()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u
                             + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void DesktopServices::sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    else
        std::this_thread::yield();
}

void DesktopServices::messageBox(const std::string& caption, const std::string& utf8Text)
{
    if (DialogScript* script = activeDialogScript())
        return script->messageBox(caption, utf8Text);
    DialogTool tool {};
    ChildResult result;
    auto command = [&](DialogTool t) { return messageCommand(t, caption, utf8Text); };
    if (!runFirstAvailable(messageDialogTools(), command, false, tool, result))
        reportOnStderr("message", caption, utf8Text);
}

bool DesktopServices::askYesNo(const std::string& caption, const std::string& utf8Text)
{
    if (DialogScript* script = activeDialogScript())
        return script->askYesNo(caption, utf8Text);
    DialogTool tool {};
    ChildResult result;
    auto command = [&](DialogTool t) { return questionCommand(t, caption, utf8Text); };
    if (!runFirstAvailable(messageDialogTools(), command, false, tool, result)) {
        reportOnStderr("question, answered No", caption, utf8Text);
        return false;
    }
    return result.exited && result.exitCode == yesExitCode(tool);
}

bool DesktopServices::openFileDialog(const FileDialogRequest& request, std::string& chosenPath)
{
    if (DialogScript* script = activeDialogScript())
        return script->openFileDialog(request, chosenPath);
    DialogTool tool {};
    ChildResult result;
    auto command = [&](DialogTool t) { return fileDialogCommand(t, request); };
    if (!runFirstAvailable(fileDialogTools(), command, true, tool, result)) {
        std::fprintf(stderr, "[file dialog] %s: no file dialog program could be started; cancelled\n", request.title.c_str());
        return false;
    }
    if (!result.exited || result.exitCode != 0)
        return false;
    std::string path = result.output;
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
        path.pop_back();
    if (path.empty())
        return false;
    chosenPath = path;
    return true;
}

void DesktopServices::openUrl(const std::string& url)
{
    if (DialogScript* script = activeDialogScript())
        return script->openUrl(url);
    if (!startDetached({"xdg-open", url}))
        std::fprintf(stderr, "[open url] could not start xdg-open for %s\n", url.c_str());
}

} // namespace platform
