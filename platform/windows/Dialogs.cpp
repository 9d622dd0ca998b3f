#include "platform/Dialogs.h"

#include "platform/windows/WideText.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

namespace platform {

namespace {

// "*.aif;*.aiff" for a type's extensions ("*" is any file); Windows matches without case.
std::wstring patternsFor(const FileType& type)
{
    std::wstring patterns;
    for (const std::string& ext : type.extensions()) {
        if (!patterns.empty())
            patterns += L';';
        patterns += ext == "*" ? std::wstring(L"*.*") : L"*." + widen(ext);
    }
    return patterns;
}

// Name and patterns of each type, each text ending in a NUL, the list in another.
std::wstring filterFor(const FileDialogRequest& request)
{
    std::wstring filter;
    for (const FileType& type : request.types) {
        const std::wstring patterns = patternsFor(type);
        if (patterns.empty())
            continue;
        filter += widen(type.name);
        filter += L'\0';
        filter += patterns;
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

class Win32Dialogs final : public Dialogs {
public:
    void messageBox(const std::string& caption, const std::string& utf8Text) override
    {
        MessageBoxW(nullptr, widen(utf8Text).c_str(), widen(caption).c_str(), MB_OK);
    }

    bool askYesNo(const std::string& caption, const std::string& utf8Text) override
    {
        return MessageBoxW(nullptr, widen(utf8Text).c_str(), widen(caption).c_str(), MB_YESNO) == IDYES;
    }

    bool openFileDialog(const FileDialogRequest& request, std::string& chosenPath) override
    {
        const std::wstring filter = filterFor(request);
        const std::wstring title = widen(request.title);
        const std::wstring folder = widen(request.initialFolder);
        std::vector<wchar_t> file(32768, L'\0');
        OPENFILENAMEW dialog {};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = GetActiveWindow();
        dialog.lpstrFilter = filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = file.data();
        dialog.nMaxFile = static_cast<DWORD>(file.size());
        dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
        dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (!GetOpenFileNameW(&dialog) || file[0] == L'\0')
            return false;
        chosenPath = narrow(file.data());
        return true;
    }
};

} // namespace

Dialogs& systemDialogs()
{
    static Win32Dialogs dialogs;
    return dialogs;
}

} // namespace platform
