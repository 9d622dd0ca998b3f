// Choosing the reader by the file name, through real files: byte 0 picks the
// name's ending, the rest is the file's content. A WAV or AIFF file must read
// exactly as the same bytes do from memory; split pairs merge; every other
// ending is refused with its message.
#include "FuzzChecks.h"
#include "FuzzTempDir.h"

#include "ir/IRFileReaders.h"

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Expect { Wave, Aiff, SplitPair, Unknown, NotAFile };

struct Ending {
    const char* text;
    Expect expect;
};

constexpr Ending kEndings[] = {
    {".wav", Expect::Wave},      {".WAV", Expect::Wave},         {".Wav", Expect::Wave},
    {".aif", Expect::Aiff},      {".AIF", Expect::Aiff},         {".aiff", Expect::Aiff},
    {".AIFF", Expect::Aiff},     {".L", Expect::SplitPair},      {".R", Expect::SplitPair},
    {".l", Expect::Unknown},     {".r", Expect::Unknown},        {".txt", Expect::Unknown},
    {"", Expect::Unknown},       {".wave", Expect::Unknown},     {".aifc", Expect::Aiff},
    {".wav", Expect::NotAFile},  {".AIFC", Expect::Aiff},        {".aiffc", Expect::Unknown},
};
constexpr std::size_t kEndingCount = sizeof kEndings / sizeof kEndings[0];

bool sameInfo(const ir::IRFileInfo& a, const ir::IRFileInfo& b)
{
    return a.formatTag == b.formatTag && a.channels == b.channels && a.sampleRate == b.sampleRate &&
           a.declaredBits == b.declaredBits && a.usedBits == b.usedBits && a.dataPosition == b.dataPosition &&
           a.dataSize == b.dataSize && a.byteOrder == b.byteOrder && a.encoding == b.encoding &&
           a.validBits == b.validBits;
}

void clear(std::vector<float>& samples)
{
    std::memset(samples.data(), 0, samples.size() * sizeof(float));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::vector<float> left(ir::kIRCapacityFrames);
    static std::vector<float> right(ir::kIRCapacityFrames);
    static std::vector<float> memoryLeft(ir::kIRCapacityFrames);
    static std::vector<float> memoryRight(ir::kIRCapacityFrames);
    if (size < 1)
        return 0;
    const Ending& ending = kEndings[data[0] % kEndingCount];
    const unsigned char* content = data + 1;
    const std::size_t contentSize = size - 1;

    fuzz::clearTempDir();
    const std::string path = fuzz::tempPath(std::string("Hall") + ending.text);
    if (ending.expect == Expect::NotAFile)
        fuzz::require(::mkdir(path.c_str(), 0700) == 0, "cannot make the folder");
    else
        fuzz::require(fuzz::writeWholeFile(path, content, contentSize), "cannot write the file");

    ir::IRFileInfo info;
    ir::FileByteSource file;
    ir::IRErrorText error;
    std::memset(error, 'x', sizeof error);
    const int opened = ir::openIRFile(path.c_str(), info, file, error);
    fuzz::checkErrorText(error, sizeof error);
    fuzz::require(opened == 0 || opened == -1 || opened == ir::kIRRefused, "open returned neither 0, -1 nor a refusal");
    fuzz::require(opened != ir::kIRRefused || error[0] != '\0', "refused without saying why");
    fuzz::require((opened == 0) == file.isOpen(), "file left open after a failure, or closed after success");

    switch (ending.expect) {
    case Expect::Unknown:
        fuzz::require(opened == -1 && std::string(error) == "file '" + path + "' unknown extension.\n",
                      "unknown ending not refused with its message");
        return 0;
    case Expect::NotAFile:
        fuzz::require(opened == -1 && std::string(error) == "File open err [" + path + "]\n",
                      "a folder named like a WAV file was not refused");
        return 0;
    case Expect::SplitPair: {
        fuzz::require(opened == 0, "a present half did not merge");
        fuzz::checkInfo(info);
        const std::size_t frames = contentSize / 3;
        fuzz::require(info.channels == 2 && info.dataSize == frames * 6, "merged header differs from the half");
        clear(left);
        clear(right);
        const int read = ir::convertSamples(file, info, left.data(), right.data());
        fuzz::require(read == static_cast<int>(frames < ir::kIRCapacityFrames ? frames : ir::kIRCapacityFrames),
                      "merged frame count differs from the half");
        // The missing half is silence.
        const bool givenLeft = ending.text[1] == 'L';
        for (int i = 0; i < read; ++i)
            fuzz::require((givenLeft ? right[i] : left[i]) == 0.0f, "missing half is not silent");
        return 0;
    }
    case Expect::Wave:
    case Expect::Aiff:
        break;
    }

    // The same bytes from memory must give the same record, message and samples.
    const std::uint32_t byteOrder = ending.expect == Expect::Wave ? ir::kByteOrderWave : ir::kByteOrderAiff;
    ir::IRFileInfo memoryInfo;
    ir::IRErrorText memoryError;
    const int memoryFrames = ir::readIRImage(content, contentSize, byteOrder, memoryInfo, memoryLeft.data(),
                                             memoryRight.data(), memoryError);
    if (opened != 0) {
        fuzz::require(memoryFrames == opened, "file and memory reads ended differently");
        fuzz::require(std::strcmp(error, memoryError) == 0, "file and memory reads failed with different messages");
        return 0;
    }
    fuzz::require(memoryFrames >= 0, "file read succeeded where the memory read failed");
    fuzz::checkInfo(info);
    fuzz::require(sameInfo(info, memoryInfo), "file and memory records differ");
    fuzz::require(file.tell() == info.dataPosition, "file not left at the first sample byte");

    clear(left);
    clear(right);
    const int frames = ir::convertSamples(file, info, left.data(), right.data());
    file.close();
    fuzz::require(frames == memoryFrames, "file and memory frame counts differ");
    fuzz::require(std::memcmp(left.data(), memoryLeft.data(), left.size() * sizeof(float)) == 0 &&
                      std::memcmp(right.data(), memoryRight.data(), right.size() * sizeof(float)) == 0,
                  "file and memory samples differ");
    return 0;
}
