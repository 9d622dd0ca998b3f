// The RIFF/WAVE path from memory: header, chunk walk, sample conversion and
// peak normalisation, with every result checked against what the header says.
#include "FuzzChecks.h"

#include "ir/EndianBytes.h"
#include "ir/IRFileReaders.h"

#include <cstring>
#include <vector>

namespace {

// Reads one image and checks the outcome; returns the frame count or -1.
int readAndCheck(const std::uint8_t* data, std::size_t size, ir::IRFileInfo& info)
{
    const fuzz::ImageRead read = fuzz::readImage(data, size, ir::kByteOrderWave, info);
    if (read.frames < 0)
        return -1;
    fuzz::require(std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0,
                  "accepted a file without RIFF/WAVE codes");
    // The sample data starts right behind a "data" chunk header that carries the size.
    fuzz::require(info.dataPosition >= 44 && info.dataPosition <= size, "data position outside the file");
    fuzz::require(std::memcmp(data + info.dataPosition - 8, "data", 4) == 0 &&
                      ir::loadLE32(data + info.dataPosition - 4) == info.dataSize,
                  "data position not behind the data chunk header");

    const fuzz::SampleLayout layout = fuzz::waveLayout(info);
    fuzz::checkSamples(layout, data, size, info, read);
    return read.frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ir::IRFileInfo info;
    const int frames = readAndCheck(data, size, info);

    // For some inputs (chosen by length, so a reproducer behaves alike) the
    // same file again with its sample data repeated past the capacity and the
    // data size set to "unknown": the cut at exactly the capacity.
    const fuzz::SampleLayout layout = fuzz::waveLayout(info);
    std::vector<unsigned char> image = fuzz::capacityProbe(data, size, info, layout, frames);
    if (!image.empty()) {
        std::memset(image.data() + info.dataPosition - 4, 0xff, 4);
        ir::IRFileInfo longInfo;
        fuzz::require(readAndCheck(image.data(), image.size(), longInfo) == ir::kIRCapacityFrames,
                      "long data not cut at the capacity");
    }
    return 0;
}
