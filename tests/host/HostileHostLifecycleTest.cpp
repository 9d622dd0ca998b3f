// A host that loads and unloads the plug-in over and over, as a DAW does when
// projects are opened and closed or a scan runs: nothing may be left behind.
// Under AddressSanitizer the leak checker runs right after the cycles; without
// it, tools/leakcheck.sh runs this test under valgrind.
#include "host/PluginHost.h"
#include "params/ParameterTable.h"
#include "params/PathParams.h"
#include "support/ReliabilityKit.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <cstdlib>
#include <string>
#include <vector>

// LeakSanitizer's entry point, present only in sanitizer builds.
extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

namespace {

int cycles()
{
    const char* text = std::getenv("RVB_LIFECYCLE_CYCLES");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 100;
}

TEST(HostileHostLifecycle, LoadAndUnloadLeaveNothingBehind)
{
    const std::string dir = testsupport::makeTempDir("lifecycle");
    const std::string ir = dir + "/room.wav";
    ASSERT_TRUE(reliability::writeWav(ir, reliability::decayingNoiseIR(4000, 2, 44100), 2, 44100));
    float pathValues[param::kPathCount] = {};
    ASSERT_TRUE(param::encodePathToParams(ir.c_str(), pathValues));
    std::vector<float> left(512, 0.1f), right(512, -0.1f);

    const int n = cycles();
    for (int cycle = 0; cycle < n; ++cycle) {
        PluginHost host;
        ASSERT_TRUE(host.load(RVB_PLUGIN_PATH)) << "cycle " << cycle << ": " << host.error();
        host.start(48000.0f, 512);
        // Every fourth instance gets the full treatment: an IR, changes that
        // rebuild the kernel and grow the pre-delay, a few calls, an editor
        // opened without a window of the host's; some are deleted with the
        // editor still open.
        if (cycle % 4 == 0) {
            for (int k = 0; k < param::kPathCount; ++k)
                host.setParameter(param::kPathFirst + k, pathValues[k]);
            host.setParameter(param::kPathCommit, 1.0f);
            host.setParameter(param::kGate, 0.3f);
            host.setParameter(param::kPreDelay, 1.0f);
            host.setParameter(param::kEnabledHPF, 1.0f);
            host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, 384000.0f);
            float* in[2] = {left.data(), right.data()};
            float* out[2] = {left.data(), right.data()};
            for (int call = 0; call < 4; ++call)
                host.processReplacing(in, out, 512);
            host.dispatch(vst::effEditOpen, 0, 0, nullptr);
            host.dispatch(vst::effEditIdle);
            if (cycle % 8 == 0)
                host.dispatch(vst::effEditClose);
        }
        host.unload();
    }
    testsupport::removeTempDir(dir);

    if (__lsan_do_recoverable_leak_check == nullptr) {
        std::cout << "[ lifecycle] " << n << " cycles; no leak checker in this build (run tools/leakcheck.sh)\n";
        return;
    }
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "leaks after " << n << " load/unload cycles (report above)";
}

} // namespace
