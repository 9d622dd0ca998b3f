#include "ir/IRFileReaders.h"

#include "ir/ErrorText.h"
#include "ir/MemoryByteSource.h"

#include <strings.h>

#include <cstring>

namespace ir {

namespace {

enum class IRFileKind { Wave, Aiff, SplitPair, Unknown };

bool endsWithIgnoringCase(const char* text, std::size_t length, const char* tail)
{
    const std::size_t tailLength = std::strlen(tail);
    return length >= tailLength && strcasecmp(text + length - tailLength, tail) == 0;
}

IRFileKind classify(const char* path, std::size_t length)
{
    if (endsWithIgnoringCase(path, length, ".wav"))
        return IRFileKind::Wave;
    // AIFF-C files usually end in ".aifc"; the reader tells the two forms apart by their FORM type.
    if (endsWithIgnoringCase(path, length, ".aif") || endsWithIgnoringCase(path, length, ".aiff")
        || endsWithIgnoringCase(path, length, ".aifc"))
        return IRFileKind::Aiff;
    // Only the upper-case endings name a split pair.
    if (length >= 2 && (std::strcmp(path + length - 2, ".L") == 0 || std::strcmp(path + length - 2, ".R") == 0))
        return IRFileKind::SplitPair;
    return IRFileKind::Unknown;
}

int openAiff(const char* path, IRFileInfo& info, FileByteSource& file, IRErrorText& errorText)
{
    if (!file.open(path)) {
        setErrorText(errorText, sizeof errorText, "'%s' file open error.", path);
        return -1;
    }
    const int result = readAiffHeader(file, info, errorText);
    if (result != 0)
        file.close();
    return result;
}

} // namespace

int openIRFile(const char* path, IRFileInfo& info, FileByteSource& file, IRErrorText& errorText)
{
    file.close();
    info = IRFileInfo{};
    errorText[0] = '\0';
    if (path == nullptr)
        path = "";

    const std::size_t length = strnlen(path, kIRPathSize);
    if (length >= kIRPathSize) {
        setErrorText(errorText, sizeof errorText, "File path too long [%.200s...]\n", path);
        return -1;
    }

    switch (classify(path, length)) {
    case IRFileKind::Wave:
        if (!file.open(path)) {
            setErrorText(errorText, sizeof errorText, "File open err [%s]\n", path);
            return -1;
        }
        if (const int result = readWaveHeader(file, info, errorText)) {
            file.close();
            return result;
        }
        return 0;
    case IRFileKind::Aiff:
        return openAiff(path, info, file, errorText);
    case IRFileKind::SplitPair: {
        // The merged name is two bytes longer than the given one.
        if (length + 2 >= kIRPathSize) {
            setErrorText(errorText, sizeof errorText, "File path too long [%.200s...]\n", path);
            return -1;
        }
        IRPathText mergedPath;
        if (mergeSplitPair(path, mergedPath) != 0)
            return -1;
        return openAiff(mergedPath, info, file, errorText);
    }
    case IRFileKind::Unknown:
        break;
    }
    setErrorText(errorText, sizeof errorText, "file '%s' unknown extension.\n", path);
    return -1;
}

int readIRImage(const void* data, std::size_t size, std::uint32_t byteOrder, IRFileInfo& info, float* left,
                float* right, IRErrorText& errorText)
{
    errorText[0] = '\0';
    info = IRFileInfo{};
    if (left == nullptr || right == nullptr)
        return -1;
    std::memset(left, 0, sizeof(float) * kIRCapacityFrames);
    std::memset(right, 0, sizeof(float) * kIRCapacityFrames);

    MemoryByteSource source(data, size);
    int result = -1;
    if (byteOrder == kByteOrderWave)
        result = readWaveHeader(source, info, errorText);
    else if (byteOrder == kByteOrderAiff)
        result = readAiffHeader(source, info, errorText);
    if (result != 0)
        return result;
    return convertSamples(source, info, left, right);
}

} // namespace ir
