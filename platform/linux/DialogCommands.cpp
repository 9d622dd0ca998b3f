#include "platform/linux/DialogCommands.h"

#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

// xmessage and kdialog parse options anywhere among their arguments; a text
// that starts with '-' must not be mistaken for one.
std::string asPlainArgument(const std::string& text)
{
    return !text.empty() && text[0] == '-' ? " " + text : text;
}

std::string upperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// "*.wav *.WAV" for "wav"; several extensions may be given separated by blanks.
std::string patternsFor(const FileType& type)
{
    std::string patterns;
    for (const std::string& ext : type.extensions()) {
        if (!patterns.empty())
            patterns += ' ';
        patterns += "*." + ext;
        if (upperCase(ext) != ext)
            patterns += " *." + upperCase(ext);
    }
    return patterns;
}

std::string withTrailingSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() == kPathSeparator)
        return folder;
    return folder + kPathSeparator;
}

const char* const kXMessageYes = "Yes:101";
const char* const kXMessageNo = "No:102";

} // namespace

const std::vector<DialogTool>& messageDialogTools()
{
    static const std::vector<DialogTool> tools = {DialogTool::Zenity, DialogTool::KDialog, DialogTool::XMessage};
    return tools;
}

const std::vector<DialogTool>& fileDialogTools()
{
    static const std::vector<DialogTool> tools = {DialogTool::Zenity, DialogTool::KDialog};
    return tools;
}

const char* dialogProgram(DialogTool tool)
{
    switch (tool) {
    case DialogTool::Zenity:
        return "zenity";
    case DialogTool::KDialog:
        return "kdialog";
    case DialogTool::XMessage:
        break;
    }
    return "xmessage";
}

bool haveGraphicalSession()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::vector<std::string> messageCommand(DialogTool tool, const std::string& caption, const std::string& text)
{
    switch (tool) {
    case DialogTool::Zenity:
        return {"zenity", "--info", "--no-markup", "--title=" + caption, "--text=" + text};
    case DialogTool::KDialog:
        return {"kdialog", "--title", asPlainArgument(caption), "--msgbox", asPlainArgument(text)};
    case DialogTool::XMessage:
        break;
    }
    return {"xmessage", "-center", "-title", asPlainArgument(caption), "-buttons", "OK:0", "-default", "OK",
            asPlainArgument(text)};
}

std::vector<std::string> questionCommand(DialogTool tool, const std::string& caption, const std::string& text)
{
    switch (tool) {
    case DialogTool::Zenity:
        return {"zenity", "--question", "--no-markup", "--title=" + caption, "--text=" + text};
    case DialogTool::KDialog:
        return {"kdialog", "--title", asPlainArgument(caption), "--yesno", asPlainArgument(text)};
    case DialogTool::XMessage:
        break;
    }
    // Closing the window some other way must not read as Yes, hence an
    // exit code of its own rather than 0.
    return {"xmessage", "-center", "-title", asPlainArgument(caption), "-buttons",
            std::string(kXMessageYes) + "," + kXMessageNo, "-default", "No", asPlainArgument(text)};
}

int yesExitCode(DialogTool tool)
{
    return tool == DialogTool::XMessage ? 101 : 0;
}

std::vector<std::string> fileDialogCommand(DialogTool tool, const FileDialogRequest& request)
{
    const std::string folder = withTrailingSeparator(request.initialFolder);
    if (tool == DialogTool::KDialog) {
        std::string filter;
        for (const FileType& type : request.types) {
            if (!filter.empty())
                filter += '\n';
            filter += patternsFor(type) + "|" + type.name;
        }
        std::vector<std::string> command = {"kdialog", "--title", asPlainArgument(request.title),
                                            "--getopenfilename", folder.empty() ? "." : asPlainArgument(folder)};
        if (!filter.empty())
            command.push_back(filter);
        return command;
    }
    std::vector<std::string> command = {"zenity", "--file-selection", "--title=" + request.title};
    if (!folder.empty())
        command.push_back("--filename=" + folder);
    for (const FileType& type : request.types)
        command.push_back("--file-filter=" + type.name + " | " + patternsFor(type));
    return command;
}

} // namespace platform
