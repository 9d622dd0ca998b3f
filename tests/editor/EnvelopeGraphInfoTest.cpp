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

// A mono file of `frames` frames with a decaying click.
void writeMonoWav(const std::string& path, int rate, int frames, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16)
{
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format;
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
    const testsupport::TempDir dir("graphs-mono");
    const std::string& folder = dir.path();
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

TEST(EnvelopeGraphInfo, FormatLineShowsTheRealSampleFormat)
{
    const testsupport::TempDir dir("graphs-formats");
    const std::string& folder = dir.path();
    const struct {
        const char* name;
        int rate;
        int format;
        const char* line;
    } files[] = {
        {"x24.wav", 48000, SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, "48000 24bit"},
        {"f64.wav", 44100, SF_FORMAT_WAV | SF_FORMAT_DOUBLE, "44100 64bit float"},
        {"f32.wav", 96000, SF_FORMAT_WAV | SF_FORMAT_FLOAT, "96000 32bit float"},
        {"x32.wav", 44100, SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, "44100 32bit"},
        {"le24.aif", 88200, SF_FORMAT_AIFF | SF_FORMAT_PCM_24 | SF_ENDIAN_LITTLE, "88200 24bit"},
        {"fl64.aif", 22050, SF_FORMAT_AIFF | SF_FORMAT_DOUBLE, "22050 64bit float"},
    };
    GraphBench bench(44100, "/elsewhere/data");
    ir::IRData& ir = bench.effect().irData();
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const std::string path = folder + "/" + f.name;
        writeMonoWav(path, f.rate, f.rate / 4, f.format);
        ASSERT_EQ(ir.loadIR(path.c_str()), 0) << ir.errorText();
        const Lines lines = linesFor(ir, folder.c_str());
        EXPECT_EQ(lines.format, f.line);
        EXPECT_EQ(lines.length, "Mono 0.250sec");
    }
}

} // namespace
