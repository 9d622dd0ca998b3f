// The name.L / name.R merge through real files: the input is cut into a left
// and a right half (either may be left out), merged into name.aif by the file
// entry point, read back and compared with the halves byte for byte.
//
// Input: byte 0-1 the cut point (little-endian, taken modulo the rest's length
// + 1), byte 2 flags (1 no left file, 2 no right file, 4 open by the .R name),
// then the bytes of both halves.
#include "FuzzChecks.h"
#include "FuzzTempDir.h"

#include "ir/IRFileReaders.h"

#include <sys/stat.h>

#include <cstring>
#include <vector>

namespace {

// A half as the merge sees it: its bytes, or silence past its end.
std::vector<unsigned char> padded(const unsigned char* bytes, std::size_t size, std::size_t frames)
{
    std::vector<unsigned char> out(frames * 3, 0);
    if (size > 0 && !out.empty())
        std::memcpy(out.data(), bytes, size < out.size() ? size : out.size());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::vector<float> left(ir::kIRCapacityFrames);
    static std::vector<float> right(ir::kIRCapacityFrames);
    if (size < 3)
        return 0;
    const std::size_t rest = size - 3;
    const std::size_t cut = (data[0] | (data[1] << 8)) % (rest + 1);
    const bool haveLeft = (data[2] & 1) == 0;
    const bool haveRight = (data[2] & 2) == 0;
    const unsigned char* leftBytes = data + 3;
    const std::size_t leftSize = haveLeft ? cut : 0;
    const unsigned char* rightBytes = data + 3 + cut;
    const std::size_t rightSize = haveRight ? rest - cut : 0;

    fuzz::clearTempDir();
    const std::string base = fuzz::tempPath("Take");
    if (haveLeft)
        fuzz::require(fuzz::writeWholeFile(base + ".L", leftBytes, leftSize), "cannot write the left half");
    if (haveRight)
        fuzz::require(fuzz::writeWholeFile(base + ".R", rightBytes, rightSize), "cannot write the right half");
    const std::string given = base + ((data[2] & 4) != 0 ? ".R" : ".L");

    ir::IRFileInfo info;
    ir::FileByteSource file;
    ir::IRErrorText error;
    std::memset(error, 'x', sizeof error);
    const int opened = ir::openIRFile(given.c_str(), info, file, error);
    fuzz::checkErrorText(error, sizeof error);
    if (!haveLeft && !haveRight) {
        fuzz::require(opened == -1 && !file.isOpen(), "merged a pair with neither half present");
        return 0;
    }
    fuzz::require(opened == 0, "merging a present pair failed");
    fuzz::checkInfo(info);

    const std::size_t pairFrames = (leftSize > rightSize ? leftSize : rightSize) / 3;
    fuzz::require(info.channels == 2 && info.sampleRate == 44100 && info.encoding == ir::SampleEncoding::S24BE &&
                      info.byteOrder == ir::kByteOrderAiff && info.dataPosition == 54 &&
                      info.dataSize == pairFrames * 6,
                  "merged header differs from the halves");
    struct stat merged {};
    fuzz::require(::stat((base + ".aif").c_str(), &merged) == 0 &&
                      static_cast<std::uint64_t>(merged.st_size) == 54 + 6 * pairFrames,
                  "merged file size differs from the halves");
    fuzz::require(file.tell() == 54, "file not left at the first sample byte");

    std::memset(left.data(), 0, left.size() * sizeof(float));
    std::memset(right.data(), 0, right.size() * sizeof(float));
    const int frames = ir::convertSamples(file, info, left.data(), right.data());
    file.close();
    fuzz::require(frames == static_cast<int>(pairFrames < ir::kIRCapacityFrames ? pairFrames
                                                                                : ir::kIRCapacityFrames),
                  "frame count differs from the longer half");

    // The sample bytes the merged file must hold: left and right interleaved.
    const std::vector<unsigned char> l = padded(leftBytes, leftSize, pairFrames);
    const std::vector<unsigned char> r = padded(rightBytes, rightSize, pairFrames);
    std::vector<unsigned char> interleaved(pairFrames * 6);
    for (std::size_t i = 0; i < pairFrames; ++i) {
        std::memcpy(&interleaved[6 * i], &l[3 * i], 3);
        std::memcpy(&interleaved[6 * i + 3], &r[3 * i], 3);
    }
    fuzz::SampleLayout layout;
    layout.usedBits = 24;
    layout.validBits = 24;
    layout.channels = 2;
    layout.bigEndian = true;
    fuzz::checkConverted(layout, interleaved.data(), frames, left.data(), right.data());
    return 0;
}
