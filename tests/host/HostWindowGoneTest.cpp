// The host destroys its window before it closes the editor and the effect, as
// a session close often does, while Xlib's default error handler (which ends
// the process on any X error) is in place. The plug-in's requests about its
// dead window must fail inside its own error trap: the process lives on. The
// scenario runs in a child process, whose exit status tells.
#include "host/PluginHost.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/HostWindow.h"  // last: Xlib's macros

namespace {

enum class Step { EditClose, EffectClose };

// Returns the child's exit status: 0 when everything went through, 1 from
// Xlib's default handler, 2 when the scenario could not be set up.
int runInChild(Step closedFirst, bool idleAfterTheWindowWent)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        XSetErrorHandler(nullptr);  // Xlib's default: report and exit(1)
        // In the far corner of the screen, clear of the windows whose pixels
        // other tests read from the top left of the shared display.
        reliability::HostWindow window(712, 386, 568, 638);
        PluginHost host;
        if (!window.available() || !host.load(RVB_PLUGIN_PATH))
            _exit(2);
        host.start(44100.0f, 512);
        host.dispatch(vst::effEditOpen, 0, 0, window.parent());
        for (int i = 0; i < 5; ++i) {
            host.dispatch(vst::effEditIdle);
            usleep(10000);
        }
        window.destroyWindow();
        if (idleAfterTheWindowWent)
            host.dispatch(vst::effEditIdle);
        if (closedFirst == Step::EditClose)
            host.dispatch(vst::effEditClose);
        host.unload();  // effClose, with the editor still open in the second case
        _exit(0);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(HostWindowGone, EditorClosesCleanlyAfterTheHostDestroyedItsWindow)
{
    if (!reliability::HostWindow().available())
        GTEST_SKIP() << "no X display";
    EXPECT_EQ(runInChild(Step::EditClose, false), 0);
    EXPECT_EQ(runInChild(Step::EditClose, true), 0);
    EXPECT_EQ(runInChild(Step::EffectClose, true), 0);
}

} // namespace
