#include "platform/Dialogs.h"

#include "platform/linux/ChildProcess.h"
#include "platform/linux/DialogCommands.h"

#include <cstdio>

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

// The desktop's stand-alone dialog programs (zenity, kdialog, xmessage), run as child processes.
class DesktopDialogs final : public Dialogs {
public:
    void messageBox(const std::string& caption, const std::string& utf8Text) override
    {
        DialogTool tool {};
        ChildResult result;
        auto command = [&](DialogTool t) { return messageCommand(t, caption, utf8Text); };
        if (!runFirstAvailable(messageDialogTools(), command, false, tool, result))
            reportOnStderr("message", caption, utf8Text);
    }

    bool askYesNo(const std::string& caption, const std::string& utf8Text) override
    {
        DialogTool tool {};
        ChildResult result;
        auto command = [&](DialogTool t) { return questionCommand(t, caption, utf8Text); };
        if (!runFirstAvailable(messageDialogTools(), command, false, tool, result)) {
            reportOnStderr("question, answered No", caption, utf8Text);
            return false;
        }
        return result.exited && result.exitCode == yesExitCode(tool);
    }

    bool openFileDialog(const FileDialogRequest& request, std::string& chosenPath) override
    {
        DialogTool tool {};
        ChildResult result;
        auto command = [&](DialogTool t) { return fileDialogCommand(t, request); };
        if (!runFirstAvailable(fileDialogTools(), command, true, tool, result)) {
            std::fprintf(stderr, "[file dialog] %s: no file dialog program could be started; cancelled\n",
                         request.title.c_str());
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
};

} // namespace

Dialogs& systemDialogs()
{
    static DesktopDialogs dialogs;
    return dialogs;
}

} // namespace platform
