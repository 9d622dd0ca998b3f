#pragma once
// The IR library's file actions: choosing an IR with the "IR File Select"
// dialog, taking a file dropped on the envelope graph, copying the current IR
// into the data folder ("Copy to Local"), and opening a web page that lists
// IR files.
//
// A chosen or dropped file is loaded first; only when it loaded does it
// become the remembered path (the path parameters) and decide the CopyToLocal
// button, so a file that fails leaves everything as it was and the previous IR
// sounding. A sound file in a format or channel count that cannot be used is
// refused with a message saying why; other failures stay quiet. Paths that do not fit the path buffers (259 bytes) or the path
// parameters (239 bytes) are refused with a message, never cut short.
//
// The dialogs are modal and block the calling thread, which must be one that
// may wait (the editor's or the host's user-interface thread). While one
// action waits for the user, another that would ask again is ignored.
#include "ir/FileActionHost.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace ir {

class FileActions {
public:
    static constexpr const char* kWebSearchAddress = "https://freesound.org/search/?q=impulse+response";
    static constexpr const char* kDialogTitle = "IR File Select";
    static constexpr const char* kCopyCaption = "Copy to Local";
    static constexpr const char* kTooLongCaption = "IR File";

    explicit FileActions(FileActionHost& host);

    // The dialog in the current IR's folder (the data folder when none is
    // loaded), then the chosen file. 0 when loaded or cancelled, -1 when it
    // was refused or failed to load.
    int selectIRFile();
    // The file-select request: 0 with the chosen path (shorter than 260
    // bytes), or -1 with an empty path when cancelled.
    int runIRFileDialog(const std::string& initialFolder, std::string& chosenPath);
    // Asks, copies the file into the data folder and switches to the copy;
    // the path parameters keep the original path. Nothing for an empty path.
    void copyToLocal(const std::string& currentPath);
    void webSearch();
    // The first item of a drop on the envelope graph: a file's name (links
    // followed) or dropped text; ignored unless it names an IR file.
    void dropItem(const std::string& item, bool isFileName);

    // A copy of the loaded IR's path, "" when none.
    std::string currentIRPath();

    // Which failures the host hears of: files refused for their format
    // (a mistaken drop stays quiet), or every one (a file a host sent).
    enum class Report { Refusals, EveryFailure };

    // Loads the file and, when it loaded, remembers it and sets the button.
    // -1 when refused or failed. Also for a file a host chose for the effect.
    int takeFile(const std::string& path, Report report = Report::Refusals);

private:
    // Loads and runs whenLoaded when the file loaded; has the host tell the
    // user why a file in an unusable format was refused. 0 or -1.
    int loadOrExplain(const std::string& path, const std::function<void()>& whenLoaded, Report report);
    // True when the path has at most maxBytes bytes; else the host tells the user.
    bool fits(const std::string& path, std::size_t maxBytes, const char* purpose);

    FileActionHost& host_;
    std::atomic<bool> asking_{false};
};

} // namespace ir
