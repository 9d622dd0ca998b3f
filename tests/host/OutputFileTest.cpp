// The host's checked writes against a file system that fails on demand: a
// full disk at any write, a flush or close that fails, a rename refused, a
// device. Whatever fails, the message names the target and the reason, no
// temporary file is left and the target holds what it held before.
#include "host/OutputFile.h"
#include "host/WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr char kFull[] = "No space left on device";

// Files and devices in memory; `failAt` names the call that fails (with
// `reason`), `room` the bytes the disk still takes.
class FakeDisk : public OutputSystem {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> devices;  // what each device received
    std::vector<std::string> calls;
    std::string failAt;
    std::string reason = "Input/output error";
    std::size_t room = std::numeric_limits<std::size_t>::max();
    std::size_t largestWrite = std::numeric_limits<std::size_t>::max();
    std::map<Handle, std::string> open;  // handle -> file or device name

    Target inspect(const std::string& path) override
    {
        calls.push_back("inspect");
        if (devices.count(path))
            return Target::Device;
        return files.count(path) ? Target::File : Target::Absent;
    }
    bool createBeside(const std::string& target, Handle& handle, std::string& temporary, std::string& why) override
    {
        if (fails("create", why))
            return false;
        temporary = target + ".tmp" + std::to_string(next_);
        files[temporary] = "";
        handle = next_++;
        open[handle] = temporary;
        return true;
    }
    bool openDevice(const std::string& path, Handle& handle, std::string& why) override
    {
        if (fails("openDevice", why))
            return false;
        handle = next_++;
        open[handle] = path;
        return true;
    }
    bool write(Handle handle, const void* data, std::size_t n, std::size_t& written, std::string& why) override
    {
        if (fails("write", why))
            return false;
        if (room == 0) {
            calls.back() = "write (full)";
            why = kFull;
            return false;
        }
        written = std::min({n, room, largestWrite});
        room -= written;
        const std::string& name = open.at(handle);
        (devices.count(name) ? devices[name] : files.at(name)).append(static_cast<const char*>(data), written);
        return true;
    }
    bool flush(Handle handle, std::string& why) override
    {
        return open.count(handle) && !fails("flush", why);
    }
    bool close(Handle handle, std::string& why) override
    {
        // A failed close still releases the handle, as both systems do.
        const bool known = open.erase(handle) == 1;
        return !fails("close", why) && known;
    }
    bool replace(const std::string& temporary, const std::string& target, std::string& why) override
    {
        if (fails("replace", why))
            return false;
        files[target] = files.at(temporary);
        files.erase(temporary);
        return true;
    }
    void remove(const std::string& path) override
    {
        calls.push_back("remove");
        files.erase(path);
    }

private:
    bool fails(const char* call, std::string& why)
    {
        calls.push_back(call);
        if (failAt != call)
            return false;
        why = reason;
        return true;
    }
    Handle next_ = 10;
};

// Writes `pieces` through an OutputFile as the render, state and picture writers do.
bool writePieces(FakeDisk& disk, const std::string& target, const std::vector<std::string>& pieces, std::string& error)
{
    OutputFile file(disk);
    if (!file.open(target, error))
        return false;
    for (const std::string& piece : pieces) {
        if (!file.write(piece.data(), piece.size(), error))
            return false;
    }
    return file.commit(error);
}

const std::vector<std::string> kPieces = {"RIFF header ", std::string(300, 's'), " and the end"};
const std::string kWhole = kPieces[0] + kPieces[1] + kPieces[2];

TEST(OutputFile, EveryFailingStepLeavesTheTargetAsItWasAndNoTemporaryFile)
{
    const struct {
        const char* failAt;
        std::size_t room;
        const char* reason;
    } cases[] = {
        {"create", SIZE_MAX, "Permission denied"},
        {"write", SIZE_MAX, "Input/output error"},
        {"", 0, kFull},                // full before the first byte
        {"", 12, kFull},               // the header fits, the samples do not
        {"", kWhole.size() - 1, kFull}, // the last byte does not fit
        {"flush", SIZE_MAX, "Disk quota exceeded"},
        {"close", SIZE_MAX, "Input/output error"},
        {"replace", SIZE_MAX, "Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.failAt) + " room " + std::to_string(c.room));
        FakeDisk disk;
        disk.files["take.wav"] = "an earlier take";
        disk.failAt = c.failAt;
        disk.room = c.room;
        disk.reason = c.reason;
        disk.largestWrite = 100;
        std::string error;
        EXPECT_FALSE(writePieces(disk, "take.wav", kPieces, error));
        EXPECT_EQ(error, std::string("cannot write take.wav: ") + c.reason);
        EXPECT_EQ(disk.files, (std::map<std::string, std::string> {{"take.wav", "an earlier take"}}));
        EXPECT_TRUE(disk.open.empty()) << "a handle was left open";
    }
}

TEST(OutputFile, ShortWritesArriveWholeAndInOrderThenTheFileIsRenamedIntoPlace)
{
    FakeDisk disk;
    disk.files["take.wav"] = "an earlier take";
    disk.largestWrite = 7;
    std::string error;
    ASSERT_TRUE(writePieces(disk, "take.wav", kPieces, error)) << error;
    EXPECT_EQ(disk.files, (std::map<std::string, std::string> {{"take.wav", kWhole}}));
    EXPECT_TRUE(disk.open.empty());
    // On the disk before the rename, closed before the rename.
    const std::vector<std::string> tail(disk.calls.end() - 3, disk.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string> {"flush", "close", "replace"}));

    FakeDisk fresh;
    ASSERT_TRUE(writeWholeFile("new.txt", "state", error, fresh)) << error;
    EXPECT_EQ(fresh.files, (std::map<std::string, std::string> {{"new.txt", "state"}}));
}

TEST(OutputFile, ADeviceIsWrittenInPlaceWithTheSameChecks)
{
    FakeDisk disk;
    disk.devices["NUL"] = "";
    disk.files["other.wav"] = "kept";
    std::string error;
    ASSERT_TRUE(writePieces(disk, "NUL", kPieces, error)) << error;
    EXPECT_EQ(disk.devices["NUL"], kWhole);
    EXPECT_EQ(disk.files.size(), 1u) << "no temporary file beside a device";
    EXPECT_EQ(std::count(disk.calls.begin(), disk.calls.end(), "replace"), 0);

    FakeDisk full;
    full.devices["/dev/full"] = "";
    full.room = 0;
    EXPECT_FALSE(writePieces(full, "/dev/full", kPieces, error));
    EXPECT_EQ(error, std::string("cannot write /dev/full: ") + kFull);
    EXPECT_TRUE(full.files.empty());
    EXPECT_TRUE(full.open.empty());

    FakeDisk refused;
    refused.devices["COM7"] = "";
    refused.failAt = "openDevice";
    refused.reason = "Access denied";
    EXPECT_FALSE(writePieces(refused, "COM7", kPieces, error));
    EXPECT_EQ(error, "cannot write COM7: Access denied");
}

TEST(OutputFile, AnOutputAbandonedHalfWayRemovesItsTemporaryFile)
{
    FakeDisk disk;
    disk.files["take.wav"] = "an earlier take";
    {
        OutputFile file(disk);
        std::string error;
        ASSERT_TRUE(file.open("take.wav", error));
        ASSERT_TRUE(file.write("half", 4, error));
        EXPECT_EQ(disk.files.size(), 2u);
    }
    EXPECT_EQ(disk.files, (std::map<std::string, std::string> {{"take.wav", "an earlier take"}}));
    EXPECT_TRUE(disk.open.empty());

    // After a failure nothing more is written and nothing is committed.
    OutputFile file(disk);
    std::string error;
    disk.room = 0;
    ASSERT_TRUE(file.open("take.wav", error));
    EXPECT_FALSE(file.write("x", 1, error));
    disk.room = 100;
    std::string again;
    EXPECT_FALSE(file.write("y", 1, again));
    EXPECT_FALSE(file.commit(again));
    EXPECT_EQ(again, error);
    EXPECT_EQ(disk.files, (std::map<std::string, std::string> {{"take.wav", "an earlier take"}}));
}

TEST(OutputFile, AWavFileIsWrittenFrontToBackAndFailsWhereTheDiskFills)
{
    std::vector<float> frames(2 * 50000);
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = static_cast<float>(i % 201) / 100.0f - 1.0f;
    const std::size_t bytes = 58 + 4 * frames.size();

    FakeDisk disk;
    std::string error;
    {
        OutputFile file(disk);
        ASSERT_TRUE(file.open("mix.wav", error));
        ASSERT_TRUE(writeFloatWav(file, 48000, 2, frames.data(), 50000, error)) << error;
        ASSERT_TRUE(file.commit(error)) << error;
    }
    const std::string& wav = disk.files["mix.wav"];
    ASSERT_EQ(wav.size(), bytes);
    // The sizes are right from the first write on: RIFF, fact (frames) and data.
    const auto le32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | static_cast<unsigned char>(wav[at + i]);
        return v;
    };
    EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(le32(4), bytes - 8);
    EXPECT_EQ(le32(46), 50000u);
    EXPECT_EQ(wav.compare(50, 4, "data"), 0);
    EXPECT_EQ(le32(54), 4 * frames.size());
    float last = 0.0f;
    const std::uint32_t lastBits = le32(bytes - 4);
    std::memcpy(&last, &lastBits, 4);
    EXPECT_EQ(last, frames.back());

    // Full two thirds of the way in.
    FakeDisk full;
    full.files["mix.wav"] = "the mix before";
    full.room = bytes * 2 / 3;
    {
        OutputFile file(full);
        ASSERT_TRUE(file.open("mix.wav", error));
        EXPECT_FALSE(writeFloatWav(file, 48000, 2, frames.data(), 50000, error));
        EXPECT_EQ(error, std::string("cannot write mix.wav: ") + kFull);
    }
    EXPECT_EQ(full.files, (std::map<std::string, std::string> {{"mix.wav", "the mix before"}}));

    // Too long for RIFF's sizes: refused before a byte is written (the samples are never read).
    FakeDisk big;
    {
        OutputFile file(big);
        ASSERT_TRUE(file.open("long.wav", error));
        EXPECT_FALSE(writeFloatWav(file, 48000, 2, frames.data(), 1LL << 29, error));
        EXPECT_NE(error.find("cannot write long.wav: a WAV file holds at most 536870904 frames"), std::string::npos)
            << error;
    }
    EXPECT_EQ(std::count(big.calls.begin(), big.calls.end(), "write"), 0);
    EXPECT_TRUE(big.files.empty());
}

} // namespace
