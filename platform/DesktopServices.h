#pragma once
// The real desktop behind Services: monotonic clock, sleeping, and dialogs and
// the browser run as separate programs. With RVB_DIALOG_SCRIPT set, dialogs
// and the browser are answered from that file instead (platform/DialogScript.h).
#include "platform/Services.h"

namespace platform {

class DesktopServices final : public Services {
public:
    std::uint32_t tickCount() override;
    void sleepMs(int ms) override;
    void messageBox(const std::string& caption, const std::string& utf8Text) override;
    bool askYesNo(const std::string& caption, const std::string& utf8Text) override;
    bool openFileDialog(const FileDialogRequest& request, std::string& chosenPath) override;
    void openUrl(const std::string& url) override;
};

} // namespace platform
