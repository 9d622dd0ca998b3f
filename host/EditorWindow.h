#pragma once
// Opens the plug-in's editor the way a DAW does: in a top-level window of the
// host's own (X11 or Win32), whose handle goes to the plug-in's editor; lets
// the editor run for a while and takes a picture of the window's contents.
#include <string>

class PluginEditor;

struct EditorWindowOptions {
    std::string screenshotPath;  // PNG of the window after the idle time; empty: none
    double seconds = 1.0;        // how long the editor is idled before the picture
    int idleIntervalMs = 20;     // time the editor runs between two looks at the host's window
};

struct EditorWindowResult {
    int width = 0;               // the window's size as the editor asked for it
    int height = 0;
    int idleCalls = 0;
};

// The plug-in must be loaded and started. False with a message when there is
// no display, the editor does not open, or the picture cannot be written.
bool runEditorWindow(PluginEditor& editor, const EditorWindowOptions& options, EditorWindowResult& result,
                     std::string& error);
