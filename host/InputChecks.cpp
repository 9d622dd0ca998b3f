#include "host/InputChecks.h"

#include "host/AudioFile.h"
#include "host/DeclaredFrames.h"
#include "host/HostSystem.h"

#include <cstdio>

bool checkAudioInput(const std::string& path, AudioInput& input, std::string& error)
{
    if (!checkReadableFile(path, "input", error))
        return false;
    AudioFileReader file;
    std::string why;
    if (!file.open(path, why)) {
        error = "cannot read input " + path + ": " + why;
        return false;
    }
    if (file.channels() < 1 || file.sampleRate() <= 0) {
        error = "input " + path + " has no channels or no sample rate";
        return false;
    }
    input.sampleRate = file.sampleRate();
    input.frames = file.frames();
    input.declared = declaredFrames(path);
    return true;
}

bool readWholeFile(const std::string& path, const std::string& what, std::string& text, std::string& error)
{
    if (!checkReadableFile(path, what, error))
        return false;
    std::FILE* file = openFile(path, "rb");
    if (!file) {
        error = "cannot read " + what + " " + path;
        return false;
    }
    text.clear();
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, n);
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) {
        error = "cannot read " + what + " " + path;
        return false;
    }
    return true;
}
