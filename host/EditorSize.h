#pragma once
// The size a host gives the editor's window: what the plug-in asks for with
// effEditGetRect, or a DAW's own default when it names none.
#include <string>

class PluginHost;

// False with a message when no plug-in is loaded or it has no editor.
bool editorSize(PluginHost& host, int& width, int& height, std::string& error);
