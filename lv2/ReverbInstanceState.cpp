// The IR file in the host's state: saved as an abstract path the host can
// move with the project, restored as a VST host restores the path parameters.
#include "lv2/ReverbInstance.h"

#include "lv2/HostFeatures.h"
#include "params/PathParams.h"
#include "core/Reverb.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace lv2plugin {

namespace {

// The host's path mapping for one save or restore: abstract paths out,
// absolute paths back, and the host's way to free what it returned.
class PathMapping {
public:
    explicit PathMapping(const LV2_Feature* const* features)
    {
        map_ = feature<const LV2_State_Map_Path>(features, LV2_STATE__mapPath);
        free_ = feature<const LV2_State_Free_Path>(features, LV2_STATE__freePath);
    }
    bool available() const { return map_ != nullptr; }
    std::string abstractPath(const char* path) const
    {
        return take(map_ ? map_->abstract_path(map_->handle, path) : nullptr, path);
    }
    std::string absolutePath(const char* path) const
    {
        return take(map_ ? map_->absolute_path(map_->handle, path) : nullptr, path);
    }

private:
    std::string take(char* mapped, const char* fallback) const
    {
        if (!mapped)
            return fallback;
        std::string text(mapped);
        if (free_)
            free_->free_path(free_->handle, mapped);
        else
            std::free(mapped);
        return text;
    }

    const LV2_State_Map_Path* map_ = nullptr;
    const LV2_State_Free_Path* free_ = nullptr;
};

} // namespace

LV2_State_Status ReverbInstance::save(LV2_State_Store_Function store, LV2_State_Handle handle, std::uint32_t,
                                      const LV2_Feature* const* features)
{
    // The path values change together: never half a path.
    const std::string path = reverb_->rememberedPath();
    if (path.empty())
        return LV2_STATE_SUCCESS;
    const PathMapping mapping(features);
    const std::string stored = mapping.abstractPath(path.c_str());
    // An abstract path is the host's to carry anywhere; a plain file name ties
    // the state to this machine.
    const std::uint32_t flags = mapping.available() ? (LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE) : LV2_STATE_IS_POD;
    const LV2_State_Status status =
        store(handle, urids_.irFile, stored.c_str(), stored.size() + 1, urids_.atomPath, flags);
    return status == LV2_STATE_SUCCESS ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

LV2_State_Status ReverbInstance::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                         std::uint32_t, const LV2_Feature* const* features)
{
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    const char* value = static_cast<const char*>(retrieve(handle, urids_.irFile, &size, &type, &flags));
    // A state without an IR file keeps the IR in force: the effect has no
    // "no IR" to go back to once one was loaded.
    if (!value || size == 0 || (type != urids_.atomPath && type != urids_.atomString) ||
        !std::memchr(value, '\0', size) || value[0] == '\0')
        return LV2_STATE_SUCCESS;
    // As a VST host restores a project: the path values, then the path
    // commit, which loads the file (a failure goes to the host's log).
    reverb_->restoreIRPath(PathMapping(features).absolutePath(value));
    return LV2_STATE_SUCCESS;
}

} // namespace lv2plugin
