#pragma once
// What the editor shows of the IR in force, copied out of the IR object in one
// piece: its file, the file's format, its length and the gate.
#include "ir/IRFileInfo.h"
#include "ir/IRFileReaders.h"

namespace ir {

struct IRDescription {
    IRPathText path = {};
    IRFileInfo fileInfo;
    int rawFrameCount = 0;
    float gateMs = 0.0f;

    bool loaded() const { return path[0] != '\0'; }
};

} // namespace ir
