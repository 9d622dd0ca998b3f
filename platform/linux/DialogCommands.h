#pragma once
// Command lines for the desktop's stand-alone dialog programs. Each is run
// directly (never through a shell), so texts and paths travel as plain arguments.
#include "platform/Dialogs.h"
#include "platform/FileOperations.h"

#include <string>
#include <vector>

namespace platform {

enum class DialogTool { Zenity, KDialog, XMessage };

// Message and question dialogs try these in order; file dialogs only the first two.
const std::vector<DialogTool>& messageDialogTools();
const std::vector<DialogTool>& fileDialogTools();
const char* dialogProgram(DialogTool tool);

// False when no graphical session is reachable (neither DISPLAY nor WAYLAND_DISPLAY).
bool haveGraphicalSession();

std::vector<std::string> messageCommand(DialogTool tool, const std::string& caption, const std::string& text);
std::vector<std::string> questionCommand(DialogTool tool, const std::string& caption, const std::string& text);
// Exit code of a question dialog that means Yes.
int yesExitCode(DialogTool tool);
// Zenity or KDialog only.
std::vector<std::string> fileDialogCommand(DialogTool tool, const FileDialogRequest& request);

} // namespace platform
