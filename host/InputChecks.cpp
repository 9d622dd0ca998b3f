#include "host/InputChecks.h"

#include "host/AudioFile.h"
#include "host/DeclaredFrames.h"

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
