// Merging a split pair name.L / name.R of raw 24-bit big-endian samples into name.aif.
#include "IRFileBuilder.h"
#include "support/TestSupport.h"

#include "ir/IRFileReaders.h"
#include "ir/MemoryByteSource.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace irtest;

namespace {

class SplitPair : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testsupport::makeTempDir("ir-split"); }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

class StringSink : public ir::ByteSink {
public:
    bool write(const void* source, std::size_t n) override
    {
        bytes.append(static_cast<const char*>(source), n);
        return true;
    }
    std::string bytes;
};

bool exists(const std::string& p)
{
    struct stat st {};
    return stat(p.c_str(), &st) == 0;
}

} // namespace

TEST_F(SplitPair, EitherHalfMergesBothIntoAnAiffBesideThem)
{
    testsupport::writeFile(path("Take1.L"), pcm({100, -200, 300}, 3, true));
    testsupport::writeFile(path("Take1.R"), pcm({-600, 0, 150}, 3, true));
    for (const char* given : {"Take1.L", "Take1.R"}) {
        ir::IRPathText merged;
        ASSERT_EQ(ir::mergeSplitPair(path(given).c_str(), merged), 0);
        EXPECT_EQ(std::string(merged), path("Take1.aif"));
        const std::string image = testsupport::readFile(merged);
        // Header, then left and right bytes unchanged, frame by frame.
        EXPECT_EQ(image, formAiff(iffChunk("COMM", commBody(2, 3, 24, std::string("\x40\x0e\xac\x44\0\0\0\0\0\0", 10))) +
                                  ssndChunk(pcm({100, -600, -200, 0, 300, 150}, 3, true))));
    }
    const Decoded d = decodeFile(path("Take1.R"));
    ASSERT_EQ(d.frames, 3) << d.error;
    EXPECT_EQ(d.info.sampleRate, 44100);
    EXPECT_EQ(d.info.channels, 2);
    EXPECT_EQ(d.info.usedBits, 24);
    EXPECT_EQ(d.right[0], -1.0f);
    EXPECT_EQ(d.left[2], 0.5f);
}

TEST_F(SplitPair, MissingHalfIsSilenceAndTheLongerHalfSetsTheLength)
{
    testsupport::writeFile(path("Take1.R"), pcm({7, -14, 21, 28}, 3, true));
    const Decoded d = decodeFile(path("Take1.R"));
    ASSERT_EQ(d.frames, 4) << d.error;
    EXPECT_TRUE(exists(path("Take1.aif")));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.left[static_cast<std::size_t>(i)], 0.0f);
    EXPECT_EQ(d.right[3], 1.0f);

    // A shorter left half ends in silence (its last partial sample padded with
    // zero bytes); a partial sample past the longer half's last whole one is
    // dropped, and the header sizes match the bytes really written.
    testsupport::writeFile(path("Take1.L"), pcm({28}, 3, true) + "\x01\x02");
    testsupport::writeFile(path("Take1.R"), pcm({1, 2, 3}, 3, true) + "\x05");
    ir::IRPathText merged;
    ASSERT_EQ(ir::mergeSplitPair(path("Take1.L").c_str(), merged), 0);
    const std::string image = testsupport::readFile(merged);
    ASSERT_EQ(image.size(), 54u + 3 * 6);
    EXPECT_EQ(image.substr(4, 4), be32(static_cast<std::uint32_t>(image.size() - 8)));
    EXPECT_EQ(image.substr(42, 4), be32(8 + 3 * 6));
    const Decoded e = decodeFile(path("Take1.L"));
    ASSERT_EQ(e.frames, 3);
    EXPECT_FLOAT_EQ(e.left[0], 28.0f / 0x010200);
    EXPECT_EQ(e.left[1], 1.0f); // bytes 01 02 and a zero byte
    EXPECT_EQ(e.left[2], 0.0f);
    EXPECT_FLOAT_EQ(e.right[2], 3.0f / 0x010200);
}

TEST_F(SplitPair, FailuresLeaveNoMessage)
{
    // Neither half: nothing to load, and no empty file is left behind.
    const Decoded none = decodeFile(path("Gone.L"));
    EXPECT_EQ(none.frames, -1);
    EXPECT_EQ(none.error, "");
    EXPECT_FALSE(exists(path("Gone.aif")));

    // The output cannot be created (a folder holds its name).
    testsupport::writeFile(path("Blocked.L"), pcm({1}, 3, true));
    ASSERT_TRUE(std::filesystem::create_directory(path("Blocked.aif")));
    const Decoded blocked = decodeFile(path("Blocked.L"));
    EXPECT_EQ(blocked.frames, -1);
    EXPECT_EQ(blocked.error, "");

    // Lower-case endings are not a split pair.
    testsupport::writeFile(path("Take2.r"), pcm({1}, 3, true));
    EXPECT_EQ(decodeFile(path("Take2.r")).error, "file '" + path("Take2.r") + "' unknown extension.\n");
}

TEST_F(SplitPair, LongHalvesStreamThroughInPieces)
{
    // More frames than one copy piece, and more than the IR capacity.
    std::vector<std::int64_t> ramp(140000);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::int64_t>(i) - 70000;
    const std::string left = pcm(ramp, 3, true);
    ir::MemoryByteSource source(left.data(), left.size());
    StringSink sink;
    ASSERT_TRUE(ir::writeSplitPairAiff(&source, nullptr, sink));
    ASSERT_EQ(sink.bytes.size(), 54 + ramp.size() * 6);
    EXPECT_EQ(sink.bytes.substr(54 + 139999 * 6, 6), pcm({69999}, 3, true) + std::string(3, '\0'));

    const Decoded d = decodeImage(sink.bytes, ir::kByteOrderAiff);
    EXPECT_EQ(d.frames, ir::kIRCapacityFrames);
    EXPECT_EQ(d.left[0], -1.0f);
}
