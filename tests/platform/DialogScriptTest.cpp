// Scripted dialog answers: each question or file dialog takes the next line,
// messages and web addresses take none, and everything is logged.
#include "platform/DesktopServices.h"
#include "platform/Dialogs.h"
#include "platform/DialogScript.h"
#include "support/Environment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using platform::DialogScript;
using platform::FileDialogRequest;

namespace {

FileDialogRequest request()
{
    FileDialogRequest r;
    r.title = "IR File Select";
    r.initialFolder = "/plug/data";
    r.types = {{"Wave File", "wav"}, {"AIFF File", "aif aiff"}};
    return r;
}

} // namespace

TEST(DialogScriptTest, AnswersAreTakenInOrderAndUnexpectedLinesMeanNoOrCancel)
{
    DialogScript script({"yes", "file /ir/Hall Room.wav", "no", "cancel", "file /ir/b.wav", "maybe"});
    std::string chosen = "before";
    testing::internal::CaptureStderr();
    EXPECT_TRUE(script.askYesNo("Copy to Local", "Do you want to copy?\n  /a.wav\n"));
    script.messageBox("messae", "takes no line");
    script.openUrl("https://example.org/irs");
    ASSERT_TRUE(script.openFileDialog(request(), chosen));
    EXPECT_EQ(chosen, "/ir/Hall Room.wav");
    EXPECT_FALSE(script.askYesNo("Q", "no"));
    EXPECT_FALSE(script.openFileDialog(request(), chosen));
    // A file line where a question is asked is no Yes.
    EXPECT_FALSE(script.askYesNo("Q", "file line"));
    // "maybe" is no file.
    EXPECT_FALSE(script.openFileDialog(request(), chosen));
    EXPECT_EQ(script.linesLeft(), 0u);
    // Used up: No and cancel.
    EXPECT_FALSE(script.askYesNo("Q", "again"));
    EXPECT_FALSE(script.openFileDialog(request(), chosen));
    EXPECT_EQ(chosen, "/ir/Hall Room.wav");
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_NE(log.find("question \"Copy to Local\": Do you want to copy?\\n  /a.wav\\n -> yes"), std::string::npos)
        << log;
    EXPECT_NE(log.find("message \"messae\": takes no line"), std::string::npos) << log;
    EXPECT_NE(log.find("open url https://example.org/irs"), std::string::npos) << log;
    EXPECT_NE(log.find("file dialog \"IR File Select\" in \"/plug/data\" types [Wave File: wav; AIFF File: aif aiff]"
                       " -> /ir/Hall Room.wav"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("unexpected line \"file /ir/b.wav\""), std::string::npos) << log;
    EXPECT_NE(log.find("script used up"), std::string::npos) << log;
}

TEST(DialogScriptTest, ServicesInForceAnswerFromTheFileNamedByTheVariable)
{
    const std::string dir = testsupport::makeTempDir("script");
    const std::string first = dir + "/first.txt";
    const std::string second = dir + "/second.txt";
    testsupport::writeFile(first, "no\r\nfile /x/one.aiff\r\n");
    testsupport::writeFile(second, "yes\n");
    const char* saved = std::getenv(DialogScript::kEnvironmentVariable);
    const std::string savedValue = saved ? saved : "";

    std::string chosen;
    testing::internal::CaptureStderr();
    testsupport::setEnvironment(DialogScript::kEnvironmentVariable, first);
    EXPECT_FALSE(platform::dialogs().askYesNo("Copy to Local", "?"));
    ASSERT_TRUE(platform::dialogs().openFileDialog(request(), chosen));
    EXPECT_EQ(chosen, "/x/one.aiff");
    // Opening a web page is only logged while a script is in force.
    platform::desktopServices().openUrl("https://example.org/");
    // Another file: read afresh.
    testsupport::setEnvironment(DialogScript::kEnvironmentVariable, second);
    EXPECT_TRUE(platform::dialogs().askYesNo("Copy to Local", "?"));
    EXPECT_FALSE(platform::dialogs().askYesNo("Copy to Local", "?"));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("[dialog script] open url https://example.org/"), std::string::npos) << log;

    // Without the variable the real dialogs are back.
    testsupport::unsetEnvironment(DialogScript::kEnvironmentVariable);
    EXPECT_EQ(platform::activeDialogScript(), nullptr);
    EXPECT_EQ(&platform::dialogs(), &platform::systemDialogs());
    EXPECT_EQ(&platform::desktopServices(), &platform::systemDesktopServices());
    if (saved)
        testsupport::setEnvironment(DialogScript::kEnvironmentVariable, savedValue);
    std::filesystem::remove_all(dir);
}
