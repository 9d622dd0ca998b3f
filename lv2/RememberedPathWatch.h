#pragma once
// Notices, from the audio thread, when the IR path that the effect remembers
// (the path parameters, which the editor's file actions, a load for the host
// and a restore all write) has changed, so that the plug-in can report it to
// the host as the IR file property.
//
// The 80 values are written one by one on another thread; a change is taken
// only once two process calls in a row saw the same values, so that a path
// caught halfway through being written is never reported.
#include "params/ParameterTable.h"
#include "params/PathParams.h"

#include <cstdint>

namespace core {
class ReverbModel;
}

namespace lv2plugin {

class RememberedPathWatch {
public:
    RememberedPathWatch();

    // Audio thread: reads the path values. True when they differ from the
    // last reported ones and held still since the previous call; path() is
    // then the new path (possibly empty).
    bool poll(const core::ReverbModel& reverb);

    const char* path() const { return path_; }
    std::uint32_t length() const;

private:

    float seen_[param::kPathCount];
    float reported_[param::kPathCount];
    char path_[param::kPathTextCapacity] = {};
};

} // namespace lv2plugin
