#include "host/SharedLibrary.h"

#include "host/windows/HostText.h"

#include <windows.h>

bool SharedLibrary::open(const std::string& path)
{
    close();
    handle_ = LoadLibraryW(toWide(path).c_str());
    if (!handle_) {
        error_ = "LoadLibrary error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

void SharedLibrary::close()
{
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const
{
    return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}
