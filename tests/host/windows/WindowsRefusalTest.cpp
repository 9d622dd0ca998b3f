// The Windows host refuses what it cannot do as asked, before it writes
// anything, as the Linux host does: an output that is an input under another
// name, a truncated input; and a render replaces its output only when complete.
#include "WindowsHostKit.h"

#include "host/HostCommands.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

using namespace wintest;

namespace {

std::vector<char> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Files in the folder whose names hold `part`.
int filesNamed(const std::string& folder, const std::string& part)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().filename().string().find(part) != std::string::npos;
    return count;
}

class WindowsRefusal : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = makeZFolder("refusal");
        std::vector<float> tone(2 * 4410);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = 0.1f * static_cast<float>((i * 7) % 13) - 0.6f;
        writeWav(dir + "\\in.wav", tone, 2, 44100);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir;
};

} // namespace

TEST_F(WindowsRefusal, AnOutputThatIsTheInputUnderAnotherNameIsRefused)
{
    const std::vector<char> before = bytesOf(dir + "\\in.wav");
    const std::string upper = dir + "\\IN.WAV";  // Windows names ignore case
    std::string log;
    for (const std::string& output : {dir + "\\in.wav", upper, dir + "\\.\\in.wav", dir + "/in.wav"}) {
        EXPECT_EQ(runHostCapturing({"render", dir + "\\in.wav", output}, log), 1) << output;
        EXPECT_NE(log.find("is the same file as"), std::string::npos) << log;
    }
    // Hard link: another name, the same file.
    ASSERT_TRUE(CreateHardLinkW(std::filesystem::path(dir + "\\hard.wav").wstring().c_str(),
                                std::filesystem::path(dir + "\\in.wav").wstring().c_str(), nullptr));
    EXPECT_EQ(runHostCapturing({"render", dir + "\\in.wav", dir + "\\hard.wav"}, log), 1);
    EXPECT_NE(log.find("is the same file as"), std::string::npos) << log;
    EXPECT_EQ(bytesOf(dir + "\\in.wav"), before);
    // A different existing file is overwritten, no temporary file stays beside it.
    writeWav(dir + "\\old.wav", std::vector<float>(2 * 10, 0.5f), 2, 44100);
    ASSERT_EQ(runHostCapturing({"render", dir + "\\in.wav", dir + "\\old.wav"}, log), 0) << log;
    int channels = 0;
    EXPECT_EQ(readWav(dir + "\\old.wav", channels).size(), 2u * 4410);
    EXPECT_EQ(filesNamed(dir, ".rvbhost-"), 0);
}

TEST_F(WindowsRefusal, ATruncatedInputIsRefusedUnlessAllowed)
{
    // The header declares 4410 frames; cut the file after 1000 of them.
    std::vector<char> bytes = bytesOf(dir + "\\in.wav");
    const std::size_t header = bytes.size() - 4410 * 8;
    bytes.resize(header + 1000 * 8);
    std::ofstream(dir + "\\cut.wav", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    std::string log;
    EXPECT_EQ(runHostCapturing({"render", dir + "\\cut.wav", dir + "\\out.wav"}, log), 1);
    EXPECT_NE(log.find("declares 4410 frames, the file holds 1000"), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(dir + "\\out.wav"));

    ASSERT_EQ(runHostCapturing({"render", dir + "\\cut.wav", dir + "\\out.wav", "--allow-truncated"}, log), 0) << log;
    int channels = 0;
    const std::vector<float> out = readWav(dir + "\\out.wav", channels);
    EXPECT_EQ(out.size(), 2u * 1000);
}

TEST_F(WindowsRefusal, AFolderOrAMissingInputIsRefusedWithoutWriting)
{
    std::string log;
    EXPECT_EQ(runHostCapturing({"render", dir, dir + "\\out.wav"}, log), 1);
    EXPECT_NE(log.find("is a folder, not a file"), std::string::npos) << log;
    EXPECT_EQ(runHostCapturing({"render", dir + "\\missing.wav", dir + "\\out.wav"}, log), 1);
    EXPECT_NE(log.find("cannot read input"), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(dir + "\\out.wav"));
}

TEST_F(WindowsRefusal, ATruncatedInputPastTwoGibibytesIsRefused)
{
    // The header declares 3 GiB of data; the (sparse) file holds 2.5 GiB of
    // it. Offsets past 2 GiB do not fit the C library's long on Windows.
    std::vector<char> bytes = bytesOf(dir + "\\in.wav");
    const std::size_t header = bytes.size() - 4410 * 8;
    bytes.resize(header);
    const std::uint32_t declared = 0xC0000000u;
    for (int i = 0; i < 4; ++i)
        bytes[header - 4 + i] = static_cast<char>((declared >> (8 * i)) & 0xFF);
    const std::uint32_t riff = declared + static_cast<std::uint32_t>(header) - 8;
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<char>((riff >> (8 * i)) & 0xFF);
    const std::string big = dir + "\\big.wav";
    std::ofstream(big, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::filesystem::resize_file(big, header + 0xA0000000ull);

    std::string log;
    EXPECT_EQ(runHostCapturing({"render", big, dir + "\\out.wav"}, log), 1);
    EXPECT_NE(log.find("declares 402653184 frames, the file holds 335544320"), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(dir + "\\out.wav"));
}
