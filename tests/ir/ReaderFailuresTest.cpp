// Choosing the reader by file name, and every failure message.
#include "IRFileBuilder.h"
#include "support/TestSupport.h"

#include "ir/IRFileReaders.h"
#include "ir/MemoryByteSource.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

using namespace irtest;

namespace {

const std::string kWav = wavFile(1, 2, 44100, 16, 2, pcm({1000, -2000, 500, 0}, 2, false));
const std::string kAif = aiffFile(2, 16, 48000, pcm({1000, -2000, 500, 0}, 2, true));

class ReaderFiles : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testsupport::makeTempDir("ir-readers"); }
    void TearDown() override { testsupport::removeTempDir(dir_); }
    std::string put(const std::string& name, const std::string& bytes)
    {
        testsupport::writeFile(dir_ + "/" + name, bytes);
        return dir_ + "/" + name;
    }
    std::string dir_;
};

std::string waveError(const std::string& bytes)
{
    return decodeImage(bytes, ir::kByteOrderWave).error;
}

std::string aiffError(const std::string& bytes)
{
    return decodeImage(bytes, ir::kByteOrderAiff).error;
}

// Delegates to a buffer but cannot tell its position.
class BlindSource : public ir::ByteSource {
public:
    explicit BlindSource(const std::string& bytes) : inner_(bytes.data(), bytes.size()) {}
    std::size_t read(void* d, std::size_t n) override { return inner_.read(d, n); }
    bool skip(std::uint64_t n) override { return inner_.skip(n); }
    std::int64_t tell() const override { return -1; }
    std::uint64_t remaining() const override { return inner_.remaining(); }

private:
    ir::MemoryByteSource inner_;
};

} // namespace

TEST_F(ReaderFiles, EndingDecidesTheReaderIgnoringCase)
{
    for (const char* name : {"Hall.WAV", "Hall.wav", "Hall.Wav"}) {
        const Decoded d = decodeFile(put(name, kWav));
        EXPECT_EQ(d.frames, 2) << name << d.error;
        EXPECT_EQ(d.info.byteOrder, ir::kByteOrderWave);
        EXPECT_EQ(d.left[1], 0.25f);
    }
    for (const char* name : {"Hall.AIFF", "Hall.aif", "Hall.AiF", "Hall.aifc"}) {
        const Decoded d = decodeFile(put(name, kAif));
        EXPECT_EQ(d.frames, 2) << name << d.error;
        EXPECT_EQ(d.info.byteOrder, ir::kByteOrderAiff);
        EXPECT_EQ(d.info.sampleRate, 48000);
    }
    // The contents are not consulted to choose.
    EXPECT_EQ(decodeFile(put("swapped.aiff", kWav)).error, "Specified file is not AIFF file.");
    EXPECT_EQ(decodeFile(put("swapped.wav", kAif)).error, "Specified file is not RIFF file.");
}

TEST_F(ReaderFiles, UnknownEndingCarriesTheWholePath)
{
    for (const char* name : {"Hall.txt", "Take1.r", "Take1.l", "wav", "Hall.wav.bak"}) {
        const std::string path = put(name, kWav);
        const Decoded d = decodeFile(path);
        EXPECT_EQ(d.frames, -1);
        EXPECT_EQ(d.error, "file '" + path + "' unknown extension.\n");
    }
}

TEST_F(ReaderFiles, FilesThatCannotBeOpened)
{
    const std::string wav = dir_ + "/missing.wav";
    EXPECT_EQ(decodeFile(wav).error, "File open err [" + wav + "]\n");
    const std::string aif = dir_ + "/missing.aif";
    EXPECT_EQ(decodeFile(aif).error, "'" + aif + "' file open error.");

    // A folder or a FIFO with an IR's name is refused rather than read (or waited on).
    const std::string folder = dir_ + "/folder.wav";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_EQ(decodeFile(folder).error, "File open err [" + folder + "]\n");
    const std::string fifo = dir_ + "/pipe.aif";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(decodeFile(fifo).error, "'" + fifo + "' file open error.");
}

TEST_F(ReaderFiles, OverlongPathIsRefusedWithoutOverrunningTheMessage)
{
    const std::string path = "/tmp/" + std::string(300, 'a') + ".wav";
    const Decoded d = decodeFile(path);
    EXPECT_EQ(d.frames, -1);
    EXPECT_EQ(d.error.rfind("File path too long [", 0), 0u) << d.error;
    EXPECT_LT(d.error.size(), ir::kIRErrorTextSize);

    // 258 bytes fit, but the merged name of a pair would not.
    const std::string pair = "/tmp/" + std::string(251, 'b') + ".L";
    ASSERT_EQ(pair.size(), 258u);
    EXPECT_EQ(decodeFile(pair).error.rfind("File path too long [", 0), 0u);
}

TEST_F(ReaderFiles, FailureClosesTheFileAndSuccessClearsAnOldMessage)
{
    ir::IRFileInfo info;
    ir::FileByteSource file;
    ir::IRErrorText error;
    std::strcpy(error, "stale");
    ASSERT_EQ(ir::openIRFile(put("ok.wav", kWav).c_str(), info, file, error), 0);
    EXPECT_STREQ(error, "");
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(file.tell(), static_cast<std::int64_t>(info.dataPosition));

    ASSERT_EQ(ir::openIRFile(put("bad.wav", "RIFX").c_str(), info, file, error), -1);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(info.channels, 0); // cleared
}

TEST(ReaderMessages, WaveHeaderFailures)
{
    EXPECT_EQ(waveError(""), "Specified file is not RIFF file.");
    EXPECT_EQ(waveError("RIF"), "Specified file is not RIFF file.");
    EXPECT_EQ(waveError("RIFZ" + kWav.substr(4)), "Specified file is not RIFF file.");
    EXPECT_EQ(waveError("RIFX"), "Specified file is not WAVE file.");
    EXPECT_EQ(waveError("RIFF" + le32(4) + "AVI "), "Specified file is not WAVE file.");
    EXPECT_EQ(waveError("RIFF" + le32(4) + "WAV"), "Specified file is not WAVE file.");
    EXPECT_EQ(waveError(riffWave(riffChunk("data", "abcd"))), "Failed to find fmt chunk.");
    EXPECT_EQ(waveError(riffWave("")), "Failed to find fmt chunk.");
    EXPECT_EQ(waveError(riffWave(riffChunk("fmt ", fmtBody(1, 1, 44100, 16, 2)))), "Failed to find data chunk.");
    // A data chunk before the format chunk is never found.
    EXPECT_EQ(waveError(riffWave(riffChunk("data", "abcd") + riffChunk("fmt ", fmtBody(1, 1, 44100, 16, 2)))),
              "Failed to find data chunk.");
}

TEST(ReaderMessages, PositionThatCannotBeTold)
{
    BlindSource source(kWav);
    ir::IRFileInfo info;
    ir::IRErrorText error{};
    EXPECT_EQ(ir::readWaveHeader(source, info, error), -1);
    EXPECT_STREQ(error, "Failed to find offset of PCM data.");

    BlindSource aiff(kAif);
    EXPECT_EQ(ir::readAiffHeader(aiff, info, error), -1);
    EXPECT_STREQ(error, "Failed to find offset of sound data.");
}

TEST(ReaderMessages, HeaderValuesThatWouldDivideByZero)
{
    EXPECT_EQ(waveError(wavFile(1, 0, 44100, 16, 2, "abcd")), "Invalid channel count.");
    EXPECT_EQ(waveError(wavFile(1, 0xffff, 44100, 16, 2, "abcd")), "Invalid channel count.");
    EXPECT_EQ(waveError(wavFile(1, 2, 0, 16, 2, "abcd")), "Invalid sample rate.");
    EXPECT_EQ(waveError(wavFile(1, 2, 0x80000000u, 16, 2, "abcd")), "Invalid sample rate.");
    // nAvgBytesPerSec of 0 makes the used width 0.
    const std::string noAvg = le16(1) + le16(2) + le32(44100) + le32(0) + le16(4) + le16(16);
    EXPECT_EQ(waveError(riffWave(riffChunk("fmt ", noAvg) + riffChunk("data", "abcd"))), "Invalid sample width.");
    // A format chunk too short to hold its fields.
    EXPECT_EQ(waveError(riffWave(riffChunk("fmt ", fmtBody(1, 2, 44100, 16, 2).substr(0, 14)) +
                                 riffChunk("data", "abcd"))),
              "Format chunk is too short.");
    EXPECT_EQ(waveError(riffWave(riffChunkSized("fmt ", 16, "\x01\x00"))), "Format chunk is too short.");
}

TEST(ReaderMessages, AiffHeaderFailures)
{
    const std::string comm = iffChunk("COMM", commBody(2, 2, 16, extended(44100)));
    const std::string ssnd = ssndChunk(pcm({1, 2, 3, 4}, 2, true));
    EXPECT_EQ(aiffError(""), "Specified file is not AIFF file.");
    EXPECT_EQ(aiffError(kAif.substr(0, 37)), "Specified file is not AIFF file.");
    EXPECT_EQ(aiffError("RIFF" + kAif.substr(4)), "Specified file is not AIFF file.");
    // Other IFF forms are not sound files.
    EXPECT_EQ(aiffError(formAiff(comm + ssnd, "8SVX")), "Specified file is not AIFF file.");
    EXPECT_EQ(aiffError(formAiff(iffChunk("FVER", be32(0xA2805140)) + ssnd, "AIFC")), "Failed to find COMM chunk.");
    EXPECT_EQ(aiffError(formAiff(iffChunk("NAME", "IR name!") + comm + ssnd)), "Failed to find COMM chunk.");
    EXPECT_EQ(aiffError(formAiff(iffChunk("COMM", commBody(2, 2, 16, extended(44100)).substr(0, 17)) + ssnd)),
              "Failed to find COMM chunk.");
    EXPECT_EQ(aiffError(formAiff(comm)), "Failed to find SSND chunk.");
    EXPECT_EQ(aiffError(formAiff(comm + iffChunk("MARK", be16(0)))), "Failed to find SSND chunk.");
    EXPECT_EQ(aiffError(formAiff(comm + "SSND" + be32(8) + be32(0))), "Failed to find offset of sound data.");
    EXPECT_EQ(aiffError(formAiff(comm + "SSND" + be32(100) + be32(1000) + be32(0) + "abcd")),
              "Failed to find offset of sound data.");
}

TEST(ReaderMessages, AiffValuesThatCannotBeUsed)
{
    const auto withComm = [](int channels, int size, const std::string& rate) {
        return aiffError(formAiff(iffChunk("COMM", commBody(channels, 2, size, rate)) +
                                  ssndChunk(pcm({1, 2, 3, 4}, 2, true))));
    };
    EXPECT_EQ(withComm(0, 16, extended(44100)), "Invalid channel count.");
    EXPECT_EQ(withComm(-2, 16, extended(44100)), "Invalid channel count.");
    EXPECT_EQ(withComm(2, 16, extended(0)), "Invalid sample rate.");
    EXPECT_EQ(withComm(2, 16, extended(-44100)), "Invalid sample rate.");
    EXPECT_EQ(withComm(2, 16, extended(0.5L)), "Invalid sample rate.");
    EXPECT_EQ(withComm(2, 16, extended(1e12L)), "Invalid sample rate.");
    EXPECT_EQ(withComm(2, 16, std::string("\x7f\xff\x80\0\0\0\0\0\0\0", 10)), "Invalid sample rate."); // infinity
    EXPECT_EQ(withComm(2, 16, std::string("\x7f\xff\xc0\0\0\0\0\0\0\1", 10)), "Invalid sample rate."); // NaN
    EXPECT_EQ(withComm(2, 16, std::string("\x40\x3e\xff\xff\xff\xff\0\0\0\0", 10)), "Invalid sample rate."); // 2^32-1
    EXPECT_EQ(withComm(2, 0, extended(44100)), "Invalid sample width.");
    EXPECT_EQ(withComm(2, 4, extended(44100)), "Invalid sample width.");
    EXPECT_EQ(withComm(2, -16, extended(44100)), "Invalid sample width.");
    // The largest usable rate is taken exactly.
    EXPECT_EQ(decodeImage(formAiff(iffChunk("COMM", commBody(1, 1, 16, extended(2147483647.0L))) +
                                   ssndChunk(pcm({5}, 2, true))),
                          ir::kByteOrderAiff)
                  .info.sampleRate,
              2147483647);
}
