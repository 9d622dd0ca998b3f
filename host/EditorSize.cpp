#include "host/EditorSize.h"

#include "host/PluginHost.h"

namespace {

// The window of a DAW has its own size when the editor does not name one.
constexpr int kFallbackWidth = 640;
constexpr int kFallbackHeight = 480;

} // namespace

bool editorSize(PluginHost& host, int& width, int& height, std::string& error)
{
    vst::AEffect* effect = host.effect();
    if (!effect) {
        error = "no plug-in loaded";
        return false;
    }
    if (!(effect->flags & vst::effFlagsHasEditor)) {
        error = "the plug-in has no editor";
        return false;
    }
    vst::ERect* rect = nullptr;
    host.dispatch(vst::effEditGetRect, 0, 0, &rect);
    width = kFallbackWidth;
    height = kFallbackHeight;
    if (rect && rect->right > rect->left && rect->bottom > rect->top) {
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
    }
    return true;
}
