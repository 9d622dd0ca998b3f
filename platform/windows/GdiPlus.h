#pragma once
// GDI+ for the canvas and the images, started once when first needed. The
// session lasts as long as the process: the plug-in's module stays loaded once
// an effect was made, and GDI+ may not be shut down from a DLL's unload.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

// The GDI+ headers expect the min and max macros that NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

namespace platform {

// False when GDI+ could not be started (nothing is drawn then).
bool startGdiPlus();

// The class id of GDI+'s PNG encoder; false when it has none. Inline, so that
// our command-line host, which links no plug-in code, can save pictures too.
inline bool pngEncoder(CLSID& clsid)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png") {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace platform
