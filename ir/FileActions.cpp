#include "ir/FileActions.h"

#include "ir/IRData.h"
#include "ir/IRLibraryPaths.h"
#include "params/PathParams.h"
#include "platform/DesktopServices.h"
#include "platform/Dialogs.h"
#include "platform/FileOperations.h"
#include "platform/PathLimit.h"

#include <cstring>

namespace ir {

namespace {

const char* const kSubject = "The IR file's path";

// Holds the flag for one question to the user; a second one meanwhile is refused.
class AskingGuard {
public:
    explicit AskingGuard(std::atomic<bool>& flag) : flag_(flag), owned_(!flag.exchange(true)) {}
    ~AskingGuard()
    {
        if (owned_)
            flag_.store(false);
    }
    AskingGuard(const AskingGuard&) = delete;
    AskingGuard& operator=(const AskingGuard&) = delete;
    bool owned() const { return owned_; }

private:
    std::atomic<bool>& flag_;
    bool owned_;
};

} // namespace

FileActions::FileActions(FileActionHost& host) : host_(host) {}

std::string FileActions::currentIRPath()
{
    return host_.irData().pathCopy();
}

int FileActions::takeFile(const std::string& path, Report report)
{
    if (!fits(path, kIRPathSize - 1, " to be used") ||
        !fits(path, static_cast<std::size_t>(param::kMaxStoredPathLength), " to be remembered with the project")) {
        if (report == Report::EveryFailure)
            host_.reportLoadFailure(path, "");
        return -1;
    }
    float values[param::kPathParamValues];
    if (!param::encodePathToParams(path.c_str(), values))
        return -1;
    return loadOrExplain(path, [&] {
        host_.showCopyButton(!isInLocalFolder(path.c_str(), host_.dataFolder()));
        host_.storePathParams(values);
    }, report);
}

bool FileActions::fits(const std::string& path, std::size_t maxBytes, const char* purpose)
{
    const std::string tooLong = platform::pathTooLong(path, maxBytes, kSubject, purpose);
    if (tooLong.empty())
        return true;
    host_.tellUser(kTooLongCaption, tooLong);
    return false;
}

int FileActions::loadOrExplain(const std::string& path, const std::function<void()>& whenLoaded, Report report)
{
    const int loaded = host_.irData().loadIR(path.c_str());
    if (loaded == 0) {
        whenLoaded();
        return 0;
    }
    // A file that is no IR at all fails quietly, as a mistaken drop should;
    // one in a format that cannot be used says why.
    const std::string refusal = loaded == kIRRefused ? host_.irData().lastError() : std::string();
    if (!refusal.empty() || report == Report::EveryFailure)
        host_.reportLoadFailure(path, refusal);
    return -1;
}

int FileActions::selectIRFile()
{
    AskingGuard guard(asking_);
    if (!guard.owned())
        return 0;
    const std::string current = currentIRPath();
    std::string folder;
    splitPath(current.c_str(), &folder, nullptr);
    if (folder.empty())
        folder = host_.dataFolder();
    std::string chosen;
    if (runIRFileDialog(folder, chosen) != 0)
        return 0;
    return takeFile(chosen);
}

int FileActions::runIRFileDialog(const std::string& initialFolder, std::string& chosenPath)
{
    platform::FileDialogRequest request;
    request.title = kDialogTitle;
    // Folders come from paths that fit the buffers; one that does not is better left out than cut.
    if (initialFolder.size() < kIRPathSize)
        request.initialFolder = initialFolder;
    request.types = {
        {"Wave File", "wav", "WAVE", "audio/wav", "audio/x-wav"},
        {"AIFF File", "aif aiff", "AIFF", "audio/aiff", "audio/x-aiff"},
    };
    chosenPath.clear();
    std::string chosen;
    if (!host_.chooseFile(request, chosen) || chosen.empty() || chosen.size() >= kIRPathSize)
        return -1;
    chosenPath = chosen;
    return 0;
}

void FileActions::copyToLocal(const std::string& currentPath)
{
    if (currentPath.empty())
        return;
    AskingGuard guard(asking_);
    if (!guard.owned())
        return;
    const std::string dataFolder = host_.dataFolder();
    // Without a data folder (the module's own path did not fit) there is nowhere to copy to.
    if (dataFolder.empty())
        return;
    std::string name;
    splitPath(currentPath.c_str(), nullptr, &name);
    const std::string destination = dataFolder + platform::kPathSeparator + name;
    if (!fits(destination, kIRPathSize - 1, " in the local folder"))
        return;

    const std::string question = "Do you want to copy?\n  " + currentPath + "\nto local folder\n  " + dataFolder
                                 + platform::kPathSeparator + "\n";
    if (!platform::dialogs().askYesNo(kCopyCaption, question))
        return;
    // A failed copy may leave an older file of that name in the folder; loading
    // it would switch to the wrong IR.
    if (!platform::copyFile(currentPath, destination))
        return;
    loadOrExplain(
        destination, [&] { host_.showCopyButton(!isInLocalFolder(destination.c_str(), dataFolder.c_str())); },
        Report::Refusals);
}

void FileActions::webSearch()
{
    platform::desktopServices().openUrl(kWebSearchAddress);
}

void FileActions::dropItem(const std::string& item, bool isFileName)
{
    std::string name = item;
    if (isFileName)
        resolveShortcut(name, name);
    if (!hasIRFileEnding(name))
        return;
    takeFile(name);
}

} // namespace ir
