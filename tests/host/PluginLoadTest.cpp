// The built plug-in as a DAW sees it: a shared object with one entry point.
#include "host/PluginHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <dlfcn.h>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string run(const std::string& command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0)
        out.append(buf.data(), n);
    return out;
}

vst::IntPtr refusingHost(vst::AEffect*, vst::Int32, vst::Int32, vst::IntPtr, void*, float)
{
    return 0; // answers the version query with 0
}

} // namespace

TEST(PluginLoad, ExportsOnlyTheTwoEntryPoints)
{
    // defined dynamic symbols of the plug-in, without those of the sanitizer runtimes
    const std::string out = run(std::string("nm -D --defined-only ") + RVB_PLUGIN_PATH + " | awk '{print $3}'");
    std::set<std::string> ours;
    std::istringstream lines(out);
    for (std::string sym; lines >> sym;)
        if (sym.rfind("__", 0) != 0 && sym.find("san") == std::string::npos && sym.rfind("_init", 0) != 0 &&
            sym.rfind("_fini", 0) != 0 && sym.rfind("_edata", 0) != 0 && sym.rfind("_end", 0) != 0)
            ours.insert(sym);
    EXPECT_EQ(ours, (std::set<std::string>{"VSTPluginMain", "main"})) << out.substr(0, 2000);
}

TEST(PluginLoad, NoEffectForAHostThatAnswersVersionZero)
{
    void* lib = dlopen(RVB_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using Entry = vst::AEffect* (*)(vst::HostCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(lib, "VSTPluginMain"));
    auto legacy = reinterpret_cast<Entry>(dlsym(lib, "main"));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(entry(&refusingHost), nullptr);
    EXPECT_EQ(legacy(&refusingHost), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
    dlclose(lib);
}

TEST(PluginLoad, HostSeesIdentityAndParameters)
{
    PluginHost host;
    ASSERT_TRUE(host.load(RVB_PLUGIN_PATH)) << host.error();
    EXPECT_EQ(host.effectName(), "KS [TALU-01] Convolution Reverb 0.01");
    EXPECT_EQ(host.effect()->numParams, 104);
    EXPECT_EQ(host.findParameter("WetLevel"), 21);
    EXPECT_EQ(host.findParameter("St.Inputs"), 13);
    EXPECT_EQ(host.programNameIndexed(7), "Default");
    // normalised defaults as a fresh instance reports them
    EXPECT_FLOAT_EQ(host.getParameter(5), 1.0f);
    EXPECT_FLOAT_EQ(host.getParameter(6), 0.5f);
    EXPECT_FLOAT_EQ(host.getParameter(13), 0.75f);
    EXPECT_NEAR(host.getParameter(21), 0.8333333, 1e-6);
}

TEST(PluginLoad, InfoCommandPrintsIdentity)
{
    const std::string out = run(std::string(RVB_HOST_PATH) + " info --plugin " + RVB_PLUGIN_PATH + " 2>&1");
    EXPECT_NE(out.find("KS [TALU-01] Convolution Reverb 0.01"), std::string::npos) << out;
    EXPECT_NE(out.find("latency 65536 frames"), std::string::npos) << out;
    EXPECT_NE(out.find("unique id: 0x32393133"), std::string::npos) << out;
    EXPECT_NE(out.find("St.Balance"), std::string::npos) << out;
}
