#pragma once
// Checks of the files a command line names, made before anything is written,
// so that a command that cannot do what was asked fails with a clear message
// instead of writing something else.
#include "host/FileChecks.h"

#include <string>

// What the input audio file holds.
struct AudioInput {
    int sampleRate = 0;
    long long frames = 0;    // frames the file really holds
    long long declared = -1; // frames its header declares (-1: not said)
    bool truncated() const { return declared > frames; }
};
bool checkAudioInput(const std::string& path, AudioInput& input, std::string& error);

// The whole of a readable file (a saved state): false, with "cannot read
// <what> <path>" or the check's message, when it cannot be had.
bool readWholeFile(const std::string& path, const std::string& what, std::string& text, std::string& error);
