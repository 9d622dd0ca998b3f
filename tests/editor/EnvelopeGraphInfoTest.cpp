// The envelope graph's text block: how the IR path splits, when an IR counts
// as local, and the format lines and colours for a loaded file.
#include "GraphTestKit.h"

#include "editor/EnvelopeInfoText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <vector>

using namespace graphtest;
using namespace envelopeinfo;

namespace {

// A mono 16-bit file of `frames` frames with a decaying click.
void writeMonoWav(const std::string& path, int rate, int frames)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> samples(static_cast<std::size_t>(frames), 0.0f);
    for (int i = 0; i < frames; ++i)
        samples[static_cast<std::size_t>(i)] = 0.9f * static_cast<float>(std::exp(-i / 2000.0)) * (i % 2 ? -1.0f : 1.0f);
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
}

TEST(EnvelopeGraphInfo, MonoFileLinesAndColours)
{
    const std::string folder = testsupport::makeTempDir("graphs-mono");
    const std::string path = folder + "/click.wav";
    writeMonoWav(path, 48000, 24000);
    GraphBench bench(48000, "/elsewhere/data");
    bench.addEnvelopeGraph();
    ir::IRData& ir = bench.effect().irData();
    ASSERT_EQ(ir.loadIR(path.c_str()), 0) << ir.errorText();

    Lines lines = linesFor(ir, folder.c_str());
    EXPECT_EQ(lines.folder, folder);
    EXPECT_EQ(lines.name, "click.wav");
    EXPECT_EQ(lines.format, "48000 16bit");
    EXPECT_EQ(lines.length, "Mono 0.500sec");
    // Right after the rebuild every line is highlighted.
    EXPECT_NE(ir.rebuildIndicator(), 0);
    EXPECT_EQ(lines.folderColour, kHighlightColour);
    EXPECT_EQ(lines.textColour, kHighlightColour);

    ir.setRebuildIndicator(0);
    lines = linesFor(ir, folder.c_str());
    EXPECT_EQ(lines.folderColour, kPlainColour);
    EXPECT_EQ(lines.textColour, kPlainColour);

    lines = linesFor(ir, "/elsewhere/data");
    EXPECT_EQ(lines.folder, folder + kOuterFolderMark);
    EXPECT_EQ(lines.folderColour, kOuterFolderColour);
    EXPECT_EQ(lines.textColour, kPlainColour);
    bench.render("envelope_mono_outer");
    EXPECT_GT(bench.countColour(CRect(52, 16, 587, 29), kOuterLilac), 30);
}

} // namespace
