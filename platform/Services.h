#pragma once
// The operating-system services the plug-in uses outside drawing and windows.
// Everything goes through one replaceable object so that tests can script
// dialog answers, record opened addresses and set the clock.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr char kPathSeparator = '/';
// Path buffers hold at most kPathBufferSize - 1 bytes of UTF-8 and a terminator.
constexpr int kPathBufferSize = 260;

struct FileType {
    std::string name;       // "WAV File"
    std::string extension;  // "wav" (no dot); several may be given separated by blanks: "aif aiff"
};

struct FileDialogRequest {
    std::string title;
    std::string initialFolder;
    std::vector<FileType> types;
};

class Services {
public:
    virtual ~Services() = default;
    // Monotonic milliseconds, 32-bit with wrap-around.
    virtual std::uint32_t tickCount() = 0;
    virtual void sleepMs(int ms) = 0;
    // Message box with an OK button; blocks until dismissed.
    virtual void messageBox(const std::string& caption, const std::string& utf8Text) = 0;
    // Yes/No question; true for Yes. No dialog available answers No.
    virtual bool askYesNo(const std::string& caption, const std::string& utf8Text) = 0;
    // Desktop file-open dialog; false when cancelled or unavailable.
    virtual bool openFileDialog(const FileDialogRequest& request, std::string& chosenPath) = 0;
    // Opens a web address in the desktop's browser, detached; result ignored.
    virtual void openUrl(const std::string& url) = 0;
};

// The services in force: the desktop ones unless a test installed its own.
Services& services();
// Installs replacement services (not owned); nullptr restores the desktop ones.
void setServices(Services* replacement);

// Full file name of the module (shared object) that holds this code.
std::string modulePath();
// Keeps this module, and the libraries it brought in, loaded until the process
// ends, whatever the host's dlclose calls. Libraries such as fontconfig and
// cairo keep process-wide caches that they never free; unloaded and loaded
// again with the plug-in they would leave a copy behind on every load. False
// when the module could not be marked (as in a program linked statically).
bool keepModuleLoaded();
// Byte copy that overwrites the destination; false on any failure.
bool copyFile(const std::string& from, const std::string& to);
// Shift-JIS bytes to UTF-8 for display; bytes that do not convert are kept as '?'.
std::string shiftJisToUtf8(const std::string& sjis);
// Absolute target of a symbolic link; false when the path is not a link or does not resolve.
bool resolveSymlink(const std::string& path, std::string& target);

} // namespace platform
