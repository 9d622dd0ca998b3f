#pragma once
// The number of frames an audio file's header says it holds, read from the
// header itself. Libraries that read the file trust what is there and quietly
// stop at its end; comparing the two tells a truncated file from a whole one.
#include <string>

// Frames declared by a RIFF/WAVE "data" chunk or an AIFF/AIFF-C "COMM" chunk;
// -1 when the file is of another kind or leaves its length open (a stream
// written with a size of 0 or 0xFFFFFFFF).
long long declaredFrames(const std::string& path);
