#include "ir/FileActions.h"

#include "ir/IRData.h"
#include "ir/IRLibraryPaths.h"
#include "ir/LoadFailureMessage.h"
#include "params/PathParams.h"
#include "platform/DesktopServices.h"
#include "platform/Dialogs.h"
#include "platform/FileOperations.h"
#include "platform/PathLimit.h"

#include <cstring>
#include <vector>

namespace ir {

namespace {

const char* const kSubject = "The IR file's path";

constexpr int kReturnPathSize = static_cast<int>(kIRPathSize);

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

void copyField(char* to, std::size_t capacity, const char* from)
{
    std::strncpy(to, from, capacity - 1);
    to[capacity - 1] = '\0';
}

vst::VstFileType fileType(const char* name, const char* mac, const char* dos, const char* unix, const char* mime1,
                          const char* mime2)
{
    vst::VstFileType type{};
    copyField(type.name, sizeof type.name, name);
    copyField(type.macType, sizeof type.macType, mac);
    copyField(type.dosType, sizeof type.dosType, dos);
    copyField(type.unixType, sizeof type.unixType, unix);
    copyField(type.mimeType1, sizeof type.mimeType1, mime1);
    copyField(type.mimeType2, sizeof type.mimeType2, mime2);
    return type;
}

} // namespace

FileActions::FileActions(FileActionHost& host) : host_(host) {}

std::string FileActions::currentIRPath()
{
    std::lock_guard<std::recursive_mutex> lock(host_.applicationMutex());
    return host_.irData().path();
}

int FileActions::takeFile(const std::string& path)
{
    if (!platform::pathFits(path, kIRPathSize - 1, kTooLongCaption, kSubject, " to be used") ||
        !platform::pathFits(path, static_cast<std::size_t>(param::kMaxStoredPathLength), kTooLongCaption, kSubject,
                            " to be remembered with the project"))
        return -1;
    float values[param::kPathParamValues];
    if (!param::encodePathToParams(path.c_str(), values))
        return -1;
    return loadOrExplain(path, [&] {
        host_.showCopyButton(!isInLocalFolder(path.c_str(), host_.dataFolder()));
        host_.storePathParams(values);
    });
}

int FileActions::loadOrExplain(const std::string& path, const std::function<void()>& whenLoaded)
{
    std::string refusal;
    {
        std::lock_guard<std::recursive_mutex> lock(host_.applicationMutex());
        const int loaded = host_.irData().loadIR(path.c_str());
        if (loaded == 0) {
            whenLoaded();
            return 0;
        }
        if (loaded == kIRRefused)
            refusal = host_.irData().errorText();
    }
    // A file that is no IR at all fails quietly, as a mistaken drop should;
    // one in a format that cannot be used says why, without holding up others.
    if (!refusal.empty())
        showLoadFailure(path.c_str(), refusal.c_str());
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
    vst::VstFileType types[2] = {
        fileType("Wave File", "WAVE", "wav", "wav", "audio/wav", "audio/x-wav"),
        fileType("AIFF File", "AIFF", "aif", "aiff", "audio/aiff", "audio/x-aiff"),
    };
    std::vector<char> initialPath(kReturnPathSize, '\0');
    std::vector<char> returnPath(kReturnPathSize, '\0');
    // Folders come from paths that fit the buffers; one that does not is better left out than cut.
    if (initialFolder.size() < initialPath.size())
        std::memcpy(initialPath.data(), initialFolder.c_str(), initialFolder.size() + 1);

    vst::VstFileSelect request{};
    request.command = vst::kVstFileLoad;
    request.type = vst::kVstFileType;
    request.nbFileTypes = 2;
    request.fileTypes = types;
    copyField(request.title, sizeof request.title, kDialogTitle);
    request.initialPath = initialPath.data();
    request.returnPath = returnPath.data();
    request.sizeReturnPath = kReturnPathSize;

    chosenPath.clear();
    const long files = host_.runFileSelector(request);
    // The selector hands back our own buffer; read it within its size whatever it did.
    const std::size_t length = strnlen(returnPath.data(), returnPath.size());
    if (files < 1 || length == 0 || length >= returnPath.size())
        return -1;
    chosenPath.assign(returnPath.data(), length);
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
    if (!platform::pathFits(destination, kIRPathSize - 1, kTooLongCaption, kSubject, " in the local folder"))
        return;

    const std::string question = "Do you want to copy?\n  " + currentPath + "\nto local folder\n  " + dataFolder
                                 + platform::kPathSeparator + "\n";
    if (!platform::dialogs().askYesNo(kCopyCaption, question))
        return;
    // A failed copy may leave an older file of that name in the folder; loading
    // it would switch to the wrong IR.
    if (!platform::copyFile(currentPath, destination))
        return;
    loadOrExplain(destination,
                  [&] { host_.showCopyButton(!isInLocalFolder(destination.c_str(), dataFolder.c_str())); });
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
