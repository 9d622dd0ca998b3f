#pragma once
// The component state as hosts keep it in projects and presets: a versioned
// binary block of the current program, the normalised values of the
// reverb's settings (ids 5..22, each with its id, so that a later version may
// add settings) and the IR file's path as UTF-8. Normalised values rather
// than real units, because they restore to the same bits.
//
//   "KRV3"                 4 bytes
//   version                uint32 (1)
//   program                int32
//   count                  uint32, then count x { id uint32, value float32 }
//   path length            uint32, then the path's bytes (no terminator)
//
// Every number is little-endian. A path is kept absolute: VST 3 has no way
// for a host to map paths when a project moves.
#include "vst3/Stream.h"

#include <string>
#include <vector>

namespace vst3plugin {

struct ReverbState {
    static constexpr vst3::uint32 kVersion = 1;

    struct Value {
        int id;
        float value;
    };
    int program = 0;
    std::vector<Value> values;
    std::string irPath;
};

bool writeState(const ReverbState& state, vst3::IBStream& stream);
// False for a block that is not such a state, one of a later version, or one
// cut short; `state` is then left as it was.
bool readState(vst3::IBStream& stream, ReverbState& state);

} // namespace vst3plugin
