#pragma once
// What the file selector needs from the effect it runs for: the host's answers
// to capability questions and the host's own file selector.
#include "vst/VstInterface.h"

class CFileSelectorOwner {
public:
    virtual ~CFileSelectorOwner() = default;
    virtual bool canHostDo(const char* text) = 0;
    virtual bool openFileSelector(vst::VstFileSelect* select) = 0;
    virtual bool closeFileSelector(vst::VstFileSelect* select) = 0;
};
