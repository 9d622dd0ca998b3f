#include "shell/CFileSelector.h"

#include "platform/Dialogs.h"
#include "platform/FileOperations.h"
#include "platform/PathLimit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string boundedText(const char* text, std::size_t capacity)
{
    if (!text)
        return std::string();
    return std::string(text, strnlen(text, capacity));
}

// The request's buffer must take the path and its terminator; a path that does
// not fit is refused with a word to the user rather than cut.
bool fitsReturnPath(const vst::VstFileSelect& request, const std::string& path)
{
    const std::size_t capacity =
        request.returnPath && request.sizeReturnPath > 0 ? static_cast<std::size_t>(request.sizeReturnPath) : 0;
    return platform::pathFits(path, capacity > 0 ? capacity - 1 : 0, "File Select", "The chosen file's path")
           && capacity > 0;
}

void appendExtension(std::string& list, const char* extension, std::size_t capacity)
{
    const std::string ext = boundedText(extension, capacity);
    if (ext.empty())
        return;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(' ', start);
        if (end == std::string::npos)
            end = list.size();
        if (list.compare(start, end - start, ext) == 0)
            return;
        start = end + 1;
    }
    if (!list.empty())
        list += ' ';
    list += ext;
}

} // namespace

CFileSelector::CFileSelector(CFileSelectorOwner* owner) : owner_(owner) {}

bool CFileSelector::choose(const platform::FileDialogRequest& request, std::string& chosenPath, int returnPathSize)
{
    auto copyField = [](char* to, std::size_t capacity, const std::string& from) {
        std::strncpy(to, from.c_str(), capacity - 1);
        to[capacity - 1] = '\0';
    };
    std::vector<vst::VstFileType> types(request.types.size());
    for (std::size_t i = 0; i < types.size(); ++i) {
        const platform::FileType& type = request.types[i];
        const std::vector<std::string> extensions = type.extensions();
        copyField(types[i].name, sizeof types[i].name, type.name);
        copyField(types[i].macType, sizeof types[i].macType, type.macType);
        copyField(types[i].dosType, sizeof types[i].dosType, extensions.empty() ? "" : extensions.front());
        copyField(types[i].unixType, sizeof types[i].unixType, extensions.empty() ? "" : extensions.back());
        copyField(types[i].mimeType1, sizeof types[i].mimeType1, type.mimeType1);
        copyField(types[i].mimeType2, sizeof types[i].mimeType2, type.mimeType2);
    }
    std::vector<char> initialPath(request.initialFolder.begin(), request.initialFolder.end());
    initialPath.push_back('\0');
    std::vector<char> returnPath(static_cast<std::size_t>(std::max(returnPathSize, 1)), '\0');

    vst::VstFileSelect select{};
    select.command = vst::kVstFileLoad;
    select.type = vst::kVstFileType;
    select.nbFileTypes = static_cast<vst::Int32>(types.size());
    select.fileTypes = types.data();
    copyField(select.title, sizeof select.title, request.title);
    select.initialPath = initialPath.data();
    select.returnPath = returnPath.data();
    select.sizeReturnPath = static_cast<vst::Int32>(returnPath.size());
    chosenPath.clear();
    if (run(&select) < 1)
        return false;
    // The selector hands back our own buffer; read it within its size whatever it did.
    const std::size_t chosen = strnlen(returnPath.data(), returnPath.size());
    if (chosen == 0 || chosen >= returnPath.size())
        return false;
    chosenPath.assign(returnPath.data(), chosen);
    return true;
}

long CFileSelector::run(vst::VstFileSelect* request)
{
    if (!request)
        return 0;
    if (owner_ && owner_->canHostDo("openFileSelector") && owner_->canHostDo("closeFileSelector"))
        return runHostSelector(request);
    return runDesktopDialog(request);
}

long CFileSelector::runHostSelector(vst::VstFileSelect* request)
{
    char* const ownBuffer = request->returnPath;
    const vst::Int32 ownSize = request->sizeReturnPath;
    request->nbReturnPath = 0;
    if (!owner_->openFileSelector(request)) {
        request->returnPath = ownBuffer;
        request->sizeReturnPath = ownSize;
        return 0;
    }
    // The host may answer in a buffer of its own, which is valid until the selector is closed.
    const vst::Int32 hostSize = request->sizeReturnPath;
    const std::string chosen = boundedText(request->returnPath,
                                           request->returnPath == ownBuffer || hostSize <= 0
                                               ? static_cast<std::size_t>(ownSize > 0 ? ownSize : 0)
                                               : static_cast<std::size_t>(hostSize));
    const bool answered = request->nbReturnPath > 0 || !chosen.empty();
    owner_->closeFileSelector(request);
    request->returnPath = ownBuffer;
    request->sizeReturnPath = ownSize;
    if (!answered || chosen.empty())
        return 0;
    if (!fitsReturnPath(*request, chosen))
        return 0;
    std::memcpy(ownBuffer, chosen.c_str(), chosen.size() + 1);
    request->nbReturnPath = 1;
    return 1;
}

std::vector<CFileSelector::Filter> CFileSelector::filtersFor(const vst::VstFileSelect& request)
{
    std::vector<Filter> filters;
    std::string all;
    const int count = request.fileTypes ? request.nbFileTypes : 0;
    for (int i = 0; i < count; ++i) {
        const vst::VstFileType& type = request.fileTypes[i];
        Filter filter;
        filter.name = boundedText(type.name, sizeof type.name);
        appendExtension(filter.extensions, type.dosType, sizeof type.dosType);
        appendExtension(filter.extensions, type.unixType, sizeof type.unixType);
        if (filter.extensions.empty())
            continue;
        std::size_t start = 0;
        while (start < filter.extensions.size()) {
            std::size_t end = filter.extensions.find(' ', start);
            if (end == std::string::npos)
                end = filter.extensions.size();
            appendExtension(all, filter.extensions.substr(start, end - start).c_str(), end - start);
            start = end + 1;
        }
        filters.push_back(filter);
    }
    if (!all.empty()) {
        std::string patterns;
        std::size_t start = 0;
        while (start < all.size()) {
            std::size_t end = all.find(' ', start);
            if (end == std::string::npos)
                end = all.size();
            patterns += (patterns.empty() ? "*." : " *.") + all.substr(start, end - start);
            start = end + 1;
        }
        filters.push_back({"All Types: (" + patterns + ")", all});
    }
    filters.push_back({"Any Type (*.*)", "*"});
    return filters;
}

long CFileSelector::runDesktopDialog(vst::VstFileSelect* request)
{
    if (request->command != vst::kVstFileLoad) {
        std::fprintf(stderr, "[file select] only loading one file is offered without the host's selector\n");
        return 0;
    }
    platform::FileDialogRequest dialog;
    dialog.title = boundedText(request->title, sizeof request->title);
    dialog.initialFolder = boundedText(request->initialPath, static_cast<std::size_t>(platform::kPathBufferSize));
    for (const Filter& filter : filtersFor(*request))
        dialog.types.push_back({filter.name, filter.extensions});
    std::string chosen;
    if (!platform::dialogs().openFileDialog(dialog, chosen) || chosen.empty())
        return 0;
    if (!fitsReturnPath(*request, chosen))
        return 0;
    std::memcpy(request->returnPath, chosen.c_str(), chosen.size() + 1);
    request->nbReturnPath = 1;
    return 1;
}
