// The desktop services run the dialog programs found along PATH. These tests
// put small stand-in programs there, which record the arguments they receive
// and answer like the real ones, so no real dialog ever opens.
#include "platform/Clock.h"
#include "platform/DesktopServices.h"
#include "platform/Dialogs.h"
#include "platform/ModulePath.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <vector>

using namespace platform;

namespace {

void restoreVariable(const char* name, const std::string& value, bool wasSet)
{
    if (wasSet)
        setenv(name, value.c_str(), 1);
    else
        unsetenv(name);
}

class DesktopServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // the real dialog programs are under test here, not a dialog script
        for (const char* name : {"PATH", "DISPLAY", "WAYLAND_DISPLAY", "RVB_DIALOG_SCRIPT"}) {
            const char* value = std::getenv(name);
            saved.push_back({name, value ? value : "", value != nullptr});
        }
        tools = testsupport::makeTempDir("tools");
        setenv("PATH", tools.c_str(), 1);
        setenv("DISPLAY", ":99", 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("RVB_DIALOG_SCRIPT");
    }

    void TearDown() override
    {
        for (const Saved& s : saved)
            restoreVariable(s.name, s.value, s.wasSet);
        std::filesystem::remove_all(tools);
    }

    // A stand-in that writes its arguments, NUL-separated, to <name>.args,
    // prints `output` and exits with `exitCode`.
    void installTool(const std::string& name, int exitCode, const std::string& output = "")
    {
        testsupport::writeFile(tools + "/" + name + ".out", output);
        const std::string script = "#!/bin/sh\n"
                                   "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + tools + "/" + name + ".args'\n"
                                   "/bin/cat '" + tools + "/" + name + ".out'\n"
                                   "exit " + std::to_string(exitCode) + "\n";
        testsupport::writeFile(tools + "/" + name, script);
        chmod((tools + "/" + name).c_str(), 0755);
    }

    std::vector<std::string> argumentsOf(const std::string& name) const
    {
        const std::string raw = testsupport::readFile(tools + "/" + name + ".args");
        std::vector<std::string> args;
        std::size_t start = 0;
        for (std::size_t end; (end = raw.find('\0', start)) != std::string::npos; start = end + 1)
            args.push_back(raw.substr(start, end - start));
        return args;
    }

    bool ran(const std::string& name) const { return std::filesystem::exists(tools + "/" + name + ".args"); }

    struct Saved {
        const char* name;
        std::string value;
        bool wasSet;
    };
    std::vector<Saved> saved;
    std::string tools;
    Dialogs& desktop = systemDialogs();
};

const std::string kAwkwardText = "Do you want to copy?\n  /home/u/IR's/$(rm -rf x) \"Hall\".wav\nto local folder\n";

} // namespace

TEST_F(DesktopServicesTest, MessageBoxHandsTheTextOverUntouched)
{
    installTool("zenity", 0);
    installTool("kdialog", 0);
    desktop.messageBox("messae", kAwkwardText);
    EXPECT_EQ(argumentsOf("zenity"),
              (std::vector<std::string> {"--info", "--no-markup", "--title=messae", "--text=" + kAwkwardText}));
    EXPECT_FALSE(ran("kdialog"));
}

TEST_F(DesktopServicesTest, QuestionAnswersFollowTheToolsExitCodes)
{
    installTool("zenity", 0);
    EXPECT_TRUE(desktop.askYesNo("Copy to Local", kAwkwardText));
    EXPECT_EQ(argumentsOf("zenity"), (std::vector<std::string> {"--question", "--no-markup", "--title=Copy to Local",
                                                                "--text=" + kAwkwardText}));
    installTool("zenity", 1);
    EXPECT_FALSE(desktop.askYesNo("Copy to Local", "?"));
    installTool("zenity", 255); // no display reachable
    EXPECT_FALSE(desktop.askYesNo("Copy to Local", "?"));
}

TEST_F(DesktopServicesTest, FallsBackToKDialogThenXMessage)
{
    installTool("kdialog", 0);
    EXPECT_TRUE(desktop.askYesNo("Copy to Local", "-text starting with a dash"));
    EXPECT_EQ(argumentsOf("kdialog"), (std::vector<std::string> {"--title", "Copy to Local", "--yesno",
                                                                 " -text starting with a dash"}));
    std::filesystem::remove(tools + "/kdialog");

    installTool("xmessage", 101);
    EXPECT_TRUE(desktop.askYesNo("Copy to Local", "copy?"));
    EXPECT_EQ(argumentsOf("xmessage"), (std::vector<std::string> {"-center", "-title", "Copy to Local", "-buttons",
                                                                  "Yes:101,No:102", "-default", "No", "copy?"}));
    // xmessage ends with 0 when its window is closed without a button.
    installTool("xmessage", 0);
    EXPECT_FALSE(desktop.askYesNo("Copy to Local", "copy?"));
    installTool("xmessage", 102);
    EXPECT_FALSE(desktop.askYesNo("Copy to Local", "copy?"));
}

TEST_F(DesktopServicesTest, WithoutDialogsTheTextGoesToStandardError)
{
    installTool("zenity", 0);
    unsetenv("DISPLAY"); // no session: the installed tool must not be tried
    testing::internal::CaptureStderr();
    desktop.messageBox("messae", "cannot read /x.wav");
    const bool answer = desktop.askYesNo("Copy to Local", "Do you want to copy?");
    std::string chosen = "unchanged";
    const bool chose = desktop.openFileDialog({"IR File Select", "/data", {}}, chosen);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ran("zenity"));
    EXPECT_FALSE(answer);
    EXPECT_FALSE(chose);
    EXPECT_EQ(chosen, "unchanged");
    EXPECT_NE(err.find("cannot read /x.wav"), std::string::npos);
    EXPECT_NE(err.find("Do you want to copy?"), std::string::npos);
    EXPECT_NE(err.find("IR File Select"), std::string::npos);

    // A session but no program at all behaves the same.
    setenv("DISPLAY", ":99", 1);
    std::filesystem::remove(tools + "/zenity");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(desktop.askYesNo("Copy to Local", "again?"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("again?"), std::string::npos);
}

TEST_F(DesktopServicesTest, FileDialogReturnsTheChosenPath)
{
    const FileDialogRequest request {"IR File Select", "/opt/plug/data",
                                     {{"Wave File", "wav"}, {"AIFF File", "aif aiff"}}};
    installTool("zenity", 0, "/home/u/IR files/Hall 1.wav\n");
    std::string chosen;
    ASSERT_TRUE(desktop.openFileDialog(request, chosen));
    EXPECT_EQ(chosen, "/home/u/IR files/Hall 1.wav");
    EXPECT_EQ(argumentsOf("zenity"),
              (std::vector<std::string> {"--file-selection", "--title=IR File Select", "--filename=/opt/plug/data/",
                                         "--file-filter=Wave File | *.wav *.WAV",
                                         "--file-filter=AIFF File | *.aif *.AIF *.aiff *.AIFF"}));

    installTool("zenity", 1);
    chosen = "unchanged";
    EXPECT_FALSE(desktop.openFileDialog(request, chosen));
    EXPECT_EQ(chosen, "unchanged");

    std::filesystem::remove(tools + "/zenity");
    installTool("kdialog", 0, "/x/y.aiff\n");
    ASSERT_TRUE(desktop.openFileDialog(request, chosen));
    EXPECT_EQ(chosen, "/x/y.aiff");
    EXPECT_EQ(argumentsOf("kdialog"),
              (std::vector<std::string> {"--title", "IR File Select", "--getopenfilename", "/opt/plug/data/",
                                         "*.wav *.WAV|Wave File\n*.aif *.AIF *.aiff *.AIFF|AIFF File"}));
}

TEST_F(DesktopServicesTest, FileDialogIsNeverAnXMessage)
{
    installTool("xmessage", 0, "/x.wav\n");
    std::string chosen;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(desktop.openFileDialog({"IR File Select", "", {}}, chosen));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ran("xmessage"));
}

TEST_F(DesktopServicesTest, OpenUrlStartsXdgOpenDetached)
{
    installTool("xdg-open", 0);
    systemDesktopServices().openUrl("https://example.org/ir?list=1&sort=a");
    bool seen = false;
    for (int i = 0; i < 500 && !seen; ++i) {
        seen = !argumentsOf("xdg-open").empty();
        if (!seen)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(seen);
    EXPECT_EQ(argumentsOf("xdg-open"), std::vector<std::string> {"https://example.org/ir?list=1&sort=a"});
}

TEST(Clock, TickCountIsMonotonicMillisecondsAndSleepWaitsAtLeastItsTime)
{
    Clock& desktop = systemClock();
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto expected = static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u
                                                     + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
    const std::uint32_t first = desktop.tickCount();
    EXPECT_LE(static_cast<std::uint32_t>(first - expected), 1000u); // same clock, same unit

    std::uint32_t previous = first;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t t = desktop.tickCount();
        ASSERT_LT(static_cast<std::uint32_t>(t - previous), 0x80000000u); // never steps back
        previous = t;
    }
    const std::uint32_t before = desktop.tickCount();
    desktop.sleepMs(20);
    EXPECT_GE(static_cast<std::uint32_t>(desktop.tickCount() - before), 19u);
}

TEST(ServicesRegistry, ReplacementsAreUsedUntilRemoved)
{
    // (platform::clock is qualified: the C library has a clock() too.)
    // Without a script in force the system's own services answer.
    const char* script = std::getenv("RVB_DIALOG_SCRIPT");
    const std::string savedScript = script ? script : "";
    unsetenv("RVB_DIALOG_SCRIPT");
    EXPECT_EQ(&platform::clock(), &systemClock());
    EXPECT_EQ(&dialogs(), &systemDialogs());
    EXPECT_EQ(&desktopServices(), &systemDesktopServices());

    struct Fake final : Clock, Dialogs, DesktopServices {
        std::uint32_t tickCount() override { return 7; }
        void sleepMs(int) override {}
        void messageBox(const std::string&, const std::string&) override {}
        bool askYesNo(const std::string&, const std::string&) override { return true; }
        bool openFileDialog(const FileDialogRequest&, std::string&) override { return false; }
        void openUrl(const std::string&) override {}
    } fake;
    setClock(&fake);
    setDialogs(&fake);
    setDesktopServices(&fake);
    EXPECT_EQ(platform::clock().tickCount(), 7u);
    EXPECT_EQ(&dialogs(), static_cast<Dialogs*>(&fake));
    EXPECT_EQ(&desktopServices(), static_cast<DesktopServices*>(&fake));
    setClock(nullptr);
    setDialogs(nullptr);
    setDesktopServices(nullptr);
    EXPECT_EQ(&platform::clock(), &systemClock());
    EXPECT_EQ(&dialogs(), &systemDialogs());
    EXPECT_EQ(&desktopServices(), &systemDesktopServices());
    if (script)
        setenv("RVB_DIALOG_SCRIPT", savedScript.c_str(), 1);
}

TEST(ModulePath, NamesTheFileThatHoldsThisCode)
{
    char self[PATH_MAX];
    ASSERT_NE(realpath("/proc/self/exe", self), nullptr);
    const std::string path = modulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path[0], '/');
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(path.c_str(), resolved), nullptr);
    EXPECT_STREQ(resolved, self);
}
