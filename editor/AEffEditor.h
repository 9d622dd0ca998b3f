#pragma once
// What the effect's base part knows of an editor: the host's editor opcodes.
#include "vst/VstInterface.h"

class AEffEditor {
public:
    virtual ~AEffEditor() = default;
    virtual bool getRect(vst::ERect** rect) = 0;
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual void idle() = 0;
    virtual int onKeyDown(int /*character*/, int /*virtualKey*/, int /*modifiers*/) { return 0; }
    virtual int onKeyUp(int /*character*/, int /*virtualKey*/, int /*modifiers*/) { return 0; }
    virtual bool setKnobMode(int /*mode*/) { return false; }
};
