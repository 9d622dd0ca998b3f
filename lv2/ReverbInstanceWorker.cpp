// The IR file a host chose: asked for on the audio thread, loaded on the
// host's worker thread.
#include "lv2/ReverbInstance.h"

#include "core/Reverb.h"

#include <cstring>
#include <string>

namespace lv2plugin {

namespace {

struct LoadResult {
    std::int32_t loaded;
};

} // namespace

void ReverbInstance::requestLoad(const char* path, std::uint32_t length)
{
    // Without a worker, or with a request the worker cannot take, the host
    // hears which file is still in force.
    if (!schedule_ || length == 0 || length > kMaxRequestedPath ||
        schedule_->schedule_work(schedule_->handle, length + 1, path) != LV2_WORKER_SUCCESS)
        reportPath_ = true;
}

LV2_Worker_Status ReverbInstance::work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                                       std::uint32_t size, const void* data)
{
    const char* text = static_cast<const char*>(data);
    if (!text || size == 0 || !std::memchr(text, '\0', size))
        return LV2_WORKER_ERR_UNKNOWN;
    const std::string path(text);
    // As a file chosen in the editor: loaded first, remembered only when it
    // loaded; a failure leaves the previous IR sounding and goes to the
    // host's log (irLoadFailed), never to a dialog on this shared thread.
    const LoadResult result{reverb_->takeIRFile(path) == 0 ? 1 : 0};
    return respond(handle, sizeof result, &result);
}

LV2_Worker_Status ReverbInstance::workResponse(std::uint32_t size, const void* data)
{
    if (size != sizeof(LoadResult) || !data)
        return LV2_WORKER_ERR_UNKNOWN;
    LoadResult result;
    std::memcpy(&result, data, sizeof result);
    // A loaded file is reported once the remembered path shows it; after a
    // failure the host is told the path that stays in force.
    if (!result.loaded)
        reportPath_ = true;
    return LV2_WORKER_SUCCESS;
}

} // namespace lv2plugin
