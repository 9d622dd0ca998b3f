#pragma once
// A plug-in's editor in a window of the host's, whatever the format: its size,
// opening it on the window, letting it run, closing it.
#include <string>

class PluginEditor {
public:
    virtual ~PluginEditor() = default;

    // The size the editor asks for. False with a message when it cannot be had.
    virtual bool size(int& width, int& height, std::string& error) = 0;
    // Opens the editor in `window` (an X11 window id or an HWND).
    virtual bool open(void* window, std::string& error) = 0;
    // Lets the editor run for about this long: idle calls, timers and events.
    virtual void run(int milliseconds) = 0;
    virtual void close() = 0;
};
