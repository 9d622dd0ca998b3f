// The test module's editor on the host's HWND under Windows: it attaches as a
// child window, and opens and closes again and again.
#include "../Vst3HostKit.h"

#include <gtest/gtest.h>

TEST(Vst3WindowsEditor, AttachesToTheHostsWindowAgainAndAgain)
{
    for (int round = 0; round < 5; ++round) {
        const vst3test::HostRun run = vst3test::runHost({"editor", "--class", round % 2 ? "1" : "0", "--seconds", "0.05"});
        ASSERT_EQ(run.status, 0) << "round " << round << ": " << run.err;
        EXPECT_NE(run.out.find("editor 240x140"), std::string::npos) << run.out;
    }
}
