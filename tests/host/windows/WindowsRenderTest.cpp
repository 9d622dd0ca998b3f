// The Windows host and DLL under Wine: an IR named by a Windows path travels
// through the path parameters and sounds at its frames, and dialogs answer
// from the dialog script as they do on Linux.
#include "WindowsHostKit.h"

#include "host/HostCommands.h"
#include "host/StateFile.h"
#include "params/PathParams.h"
#include "support/Environment.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace wintest;

namespace {

int runHost(std::vector<std::string> args)
{
    args.insert(args.end(), {"--plugin", zPath(RVB_PLUGIN_PATH), "--quiet"});
    return runHostCommand(args);
}

} // namespace

TEST(WindowsRender, IRChosenByAWindowsPathSoundsAtItsFrames)
{
    const std::string dir = makeZFolder("zpath");
    // Sparse stereo IR: taps late in the file check that nothing is lost or wrapped.
    const int length = 100000;
    std::vector<float> ir(2 * length, 0.0f);
    ir[0] = 1.0f;
    ir[1] = 0.5f;
    ir[2 * 3000 + 1] = -0.5f;
    ir[2 * 90000] = 0.25f;
    writeWav(dir + "\\sparse IR.wav", ir, 2, 44100);
    std::vector<float> impulse(2 * 10, 0.0f);
    impulse[0] = impulse[1] = 1.0f;
    writeWav(dir + "\\impulse.wav", impulse, 2, 44100);

    ASSERT_EQ(runHost({"render", dir + "\\impulse.wav", dir + "\\out.wav", "--ir", dir + "\\sparse IR.wav", "--set",
                       "St.Inputs=1", "--set", "DryLevel=0"}),
              0);
    int channels = 0;
    const std::vector<float> out = readWav(dir + "\\out.wav", channels);
    ASSERT_EQ(channels, 2);
    ASSERT_GE(out.size(), 2u * 90002);
    auto at = [&](int frame, int channel) { return out[2 * static_cast<std::size_t>(frame) + channel]; };
    // The wet copy comes one frame late (pre-delay 0), the taps at their frames.
    EXPECT_NEAR(at(1, 0), 1.0f, 1e-5f);
    EXPECT_NEAR(at(1, 1), 0.5f, 1e-5f);
    EXPECT_NEAR(at(3001, 1), -0.5f, 1e-5f);
    EXPECT_NEAR(at(90001, 0), 0.25f, 1e-5f);
    for (int frame = 2; frame < 90001; ++frame) {
        if (frame == 3001)
            continue;
        ASSERT_NEAR(at(frame, 0), 0.0f, 1e-5f) << "frame " << frame;
        ASSERT_NEAR(at(frame, 1), 0.0f, 1e-5f) << "frame " << frame;
    }
    std::filesystem::remove_all(dir);
}

TEST(WindowsRender, FileDialogAnswersFromTheDialogScript)
{
    const std::string dir = makeZFolder("script");
    const std::string irPath = dir + "\\chosen.wav";
    writeWav(irPath, std::vector<float>(2 * 100, 0.25f), 2, 44100);
    std::FILE* script = std::fopen((dir + "\\answers.txt").c_str(), "wb");
    ASSERT_NE(script, nullptr);
    std::fprintf(script, "file %s\r\n", irPath.c_str());
    std::fclose(script);

    // Pressing IR_FileSelect opens the dialog; the chosen path goes into the path parameters.
    const char* before = std::getenv("RVB_DIALOG_SCRIPT");
    const std::string previousScript = before ? before : "";
    testing::internal::CaptureStderr();
    const int status = runHost({"state", "save", dir + "\\state.txt", "--dialog-script", dir + "\\answers.txt",
                                "--set", "IR_FileSelect=1"});
    const std::string log = testing::internal::GetCapturedStderr();
    testsupport::setEnvironment("RVB_DIALOG_SCRIPT", previousScript);
    ASSERT_EQ(status, 0) << log;
    EXPECT_NE(log.find("[dialog script] file dialog \"IR File Select\""), std::string::npos) << log;

    std::vector<float> values;
    std::string error;
    ASSERT_TRUE(statefile::load(dir + "\\state.txt", values, error)) << error;
    ASSERT_GE(values.size(), 103u);
    char decoded[param::kPathTextCapacity] = {};
    param::decodePathFromParams(&values[23], decoded);
    EXPECT_EQ(std::string(decoded), irPath);
    std::filesystem::remove_all(dir);
}
