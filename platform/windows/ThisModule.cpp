#include "platform/windows/ThisModule.h"

namespace platform {

namespace {

// Any address inside this module will do; this function's own is the simplest.
void moduleAnchor() {}

} // namespace

HMODULE thisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleAnchor), &module);
    return module;
}

} // namespace platform
