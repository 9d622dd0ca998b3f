#pragma once
// Dialog answers read from a file instead of asked of a person, so that a host
// run without anyone watching (a test, a batch job) can still go through every
// action that asks something. The file named by RVB_DIALOG_SCRIPT holds one
// answer per line, used in order:
//   yes | no          a Yes/No question
//   file PATH         a file dialog that chooses PATH
//   cancel            a file dialog that is cancelled
// Message boxes and opened web addresses take no line. Every dialog, with its
// texts and the answer given, is written to standard error as one line. A
// question that finds no line (or another kind of line) answers No, a file
// dialog counts as cancelled.
#include "platform/DesktopServices.h"
#include "platform/Dialogs.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class DialogScript final : public Dialogs, public DesktopServices {
public:
    static constexpr const char* kEnvironmentVariable = "RVB_DIALOG_SCRIPT";

    explicit DialogScript(std::vector<std::string> lines);
    // The file's non-empty lines (a missing or unreadable file gives none,
    // with a note on standard error).
    static std::vector<std::string> readLines(const std::string& path);

    void messageBox(const std::string& caption, const std::string& text) override;
    bool askYesNo(const std::string& caption, const std::string& text) override;
    bool openFileDialog(const FileDialogRequest& request, std::string& chosenPath) override;
    void openUrl(const std::string& url) override;

    std::size_t linesLeft() const;

private:
    // The next line, or false when the script is used up.
    bool take(std::string& line);

    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// The script named by the environment variable, read when first asked for and
// again when the variable names another file; null while it is unset or empty.
// The script stays valid until the variable changes.
DialogScript* activeDialogScript();

} // namespace platform
