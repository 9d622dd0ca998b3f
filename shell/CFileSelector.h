#pragma once
// Runs a file-select request: through the host's own selector when the host
// says it can open and close one, otherwise through the desktop's file dialog.
// Only loading one file is supported by the desktop dialog.
#include "platform/FileDialogRequest.h"
#include "shell/CFileSelectorOwner.h"

#include <string>
#include <vector>

class CFileSelector {
public:
    // owner may be null: then the desktop dialog is used.
    explicit CFileSelector(CFileSelectorOwner* owner);

    // Number of files chosen: 1 with the path in the request's return path, or
    // 0 when cancelled or when the chosen path does not fit the return path
    // (the user is told; a path is never cut short).
    long run(vst::VstFileSelect* request);
    // A file-open request of the reverb's, as a VST 2.4 load request of one
    // file (each type's first extension as its DOS type, its last as its Unix
    // type) with a return path of `returnPathSize` bytes; true with the path.
    bool choose(const platform::FileDialogRequest& request, std::string& chosenPath, int returnPathSize);

    // The pattern list the desktop dialog offers for a request's file types:
    // one entry per type, then "All Types: (...)" and "Any Type (*.*)".
    struct Filter {
        std::string name;
        std::string extensions;  // blank-separated, without dots
    };
    static std::vector<Filter> filtersFor(const vst::VstFileSelect& request);

private:
    long runHostSelector(vst::VstFileSelect* request);
    long runDesktopDialog(vst::VstFileSelect* request);

    CFileSelectorOwner* owner_;
};
