#pragma once
// The samples of a loaded IR file with its leading silence removed:
// kIRCapacityFrames per channel, zero after `frames`, never changed once
// made. Every instance in the process that loads the same file (the same
// file, size and modification time, read the same way) shares one copy:
// a session with one hall on eight tracks holds its samples once.
#include "ir/IRFileInfo.h"
#include "platform/FileOperations.h"

#include <memory>

namespace ir {

struct RawIR {
    std::unique_ptr<float[]> left;
    std::unique_ptr<float[]> right;
    int frames = 0;
};

class RawIRCache {
public:
    struct Key {
        platform::FileIdentity file;
        IRFileInfo info;
    };

    // The samples another instance holds for this key, or null.
    static std::shared_ptr<const RawIR> find(const Key& key);
    // Offers `raw` to later loads of the same file; kept only while someone holds it.
    static void remember(const Key& key, const std::shared_ptr<const RawIR>& raw);
};

} // namespace ir
