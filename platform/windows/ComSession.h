#pragma once
// COM for the calling thread for the length of one call: shell links and the
// shell want it, and the host may or may not have started it already.
#include <objbase.h>

namespace platform {

class ComSession {
public:
    ComSession() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComSession()
    {
        // S_FALSE (already started here) is balanced too; another threading
        // model (RPC_E_CHANGED_MODE) leaves COM usable and is not ours to end.
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

private:
    HRESULT result_;
};

} // namespace platform
