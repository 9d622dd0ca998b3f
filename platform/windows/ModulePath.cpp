#include "platform/ModulePath.h"

#include "platform/windows/ThisModule.h"
#include "platform/windows/WideText.h"

#include <vector>

namespace platform {

std::string modulePath()
{
    const HMODULE module = thisModule();
    if (!module)
        return std::string();
    // Long paths may exceed MAX_PATH; grow until the whole name fits.
    for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
        std::vector<wchar_t> buffer(capacity);
        const DWORD n = GetModuleFileNameW(module, buffer.data(), capacity);
        if (n == 0)
            return std::string();
        if (n < capacity)
            return narrow(std::wstring(buffer.data(), n));
    }
    return std::string();
}

bool keepModuleLoaded()
{
    const HMODULE module = thisModule();
    if (!module)
        return false;
    // Pinned: the GDI+ session and the window class registered by the editor
    // belong to this module for the rest of the process.
    HMODULE pinned = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCWSTR>(module), &pinned)
           != 0;
}

} // namespace platform
