// The reverb's VST 3 controller as a host's generic editor uses it, loaded
// from the bundle in this process: the value texts read back, real units
// both ways, the program list, and the actions and programs a host sets.
#include "Vst3HostKit.h"

#include "host/Utf16Text.h"
#include "host/Vst3Plugin.h"
#include "vst3/Units.h"

#include <gtest/gtest.h>

#include <string>

using namespace vst3;
using namespace vst3test;

namespace {

class ReverbControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(plugin.load(reverbBundle(), "0", error)) << error;
        controller = plugin.controller();
        plugin.start(44100.0f, 256);
    }

    int indexOf(ParamID id)
    {
        const int index = plugin.parameterOfNumber(static_cast<long>(id));
        EXPECT_GE(index, 0) << id;
        return index;
    }
    std::string text(ParamID id, double value) { return plugin.parameterText(indexOf(id), value); }
    bool valueOf(ParamID id, const std::string& typed, ParamValue& value)
    {
        String128 text {};
        utf16FromUtf8(typed, text, 128);
        return controller->getParamValueByString(id, text, value) == kResultOk;
    }
    // A call that delivers the changes set since the last one.
    void processOnce()
    {
        float left[256] = {}, right[256] = {};
        float* channels[2] = {left, right};
        plugin.process(channels, channels, 256, nullptr, 0);
    }

    Vst3Plugin plugin;
    IEditController* controller = nullptr;
};

} // namespace

TEST_F(ReverbControllerTest, EveryValueTextReadsBackToTheSameText)
{
    for (int i = 0; i < plugin.parameterCount(); ++i) {
        const ParameterInfo& info = plugin.parameterInfo(i);
        if (info.flags & ParameterInfo::kIsProgramChange)
            continue;
        for (double value : {0.0, 0.1, 0.37, 0.5, 0.81, 1.0}) {
            const std::string shown = text(info.id, value);
            ParamValue read = -1.0;
            ASSERT_TRUE(valueOf(info.id, shown, read)) << plugin.parameterName(i) << " \"" << shown << "\"";
            EXPECT_EQ(text(info.id, read), shown) << plugin.parameterName(i) << " at " << value;
            EXPECT_GE(read, 0.0);
            EXPECT_LE(read, 1.0);
        }
        ParamValue ignored = 0.0;
        EXPECT_FALSE(valueOf(info.id, "loud", ignored)) << plugin.parameterName(i);
    }
}

TEST_F(ReverbControllerTest, ValuesAreInRealUnitsBothWays)
{
    ParamValue value = 0.0;
    // Typed by a user, in the display's units or bare.
    ASSERT_TRUE(valueOf(15, "2.5 kHz", value));
    EXPECT_NEAR(controller->normalizedParamToPlain(15, value), 2500.0, 1e-6);
    ASSERT_TRUE(valueOf(10, "150", value));
    EXPECT_NEAR(controller->normalizedParamToPlain(10, value), 150.0, 1e-9);
    ASSERT_TRUE(valueOf(21, "off", value));
    EXPECT_EQ(value, 0.0);
    ASSERT_TRUE(valueOf(12, "30% Left", value));
    EXPECT_NEAR(controller->normalizedParamToPlain(12, value), -0.3, 1e-12);
    ASSERT_TRUE(valueOf(13, "R-L Mix 25%", value));
    EXPECT_NEAR(controller->normalizedParamToPlain(13, value), -0.75, 1e-12);
    // Out of range: held at the end of the range.
    ASSERT_TRUE(valueOf(14, "50kHz", value));
    EXPECT_EQ(value, 1.0);

    // The half-step levels land on their grid; plain values go back to where they came from.
    EXPECT_EQ(controller->normalizedParamToPlain(21, 0.5), -12.0);
    EXPECT_NEAR(controller->normalizedParamToPlain(14, controller->plainParamToNormalized(14, 1000.0)), 1000.0, 1e-9);
    EXPECT_EQ(controller->normalizedParamToPlain(17, 0.7), 1.0);
    EXPECT_EQ(text(5, 1.0), "On");
    EXPECT_EQ(text(8, 1.0), "off");  // the gate at its top is off
}

TEST_F(ReverbControllerTest, TheBypassIsTheInverseOfTheReverbsOnSwitch)
{
    // The state holds the reverb's own value: processing (1) by default.
    EXPECT_EQ(controller->getParamNormalized(5), 0.0);
    plugin.setParameter(indexOf(5), 1.0f);
    processOnce();
    EXPECT_EQ(controller->getParamNormalized(5), 1.0);
    std::vector<char> component, own;
    std::string error;
    ASSERT_TRUE(plugin.captureState(component, own, error)) << error;
    // id 5 and its value 0.0f (bypassed) in the state's pairs
    const std::string bytes(component.begin(), component.end());
    EXPECT_NE(bytes.find(std::string("\x05\0\0\0\0\0\0\0", 8)), std::string::npos);
}

TEST_F(ReverbControllerTest, ProgramsAreAListOfTheRootUnitChosenByTheProgramParameter)
{
    auto units = Vst3Ptr<IUnitInfo>::queried(controller);
    ASSERT_TRUE(units);
    UnitInfo unit {};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    ProgramListInfo list {};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(unit.programListId, list.id);
    EXPECT_EQ(list.programCount, 8);
    String128 name {};
    ASSERT_EQ(units->getProgramName(list.id, 7, name), kResultOk);
    EXPECT_EQ(utf8FromUtf16(name, 128), "Default");

    // Decay set in program 0 stays with it; program 3 has its own.
    const int program = indexOf(1000);
    plugin.setParameter(indexOf(7), 0.3f);
    processOnce();
    plugin.setParameter(program, 3.0f / 7.0f);
    EXPECT_NEAR(controller->getParamNormalized(1000), 3.0 / 7.0, 1e-12);
    EXPECT_EQ(controller->getParamNormalized(7), 0.5);
    plugin.setParameter(program, 0.0f);
    EXPECT_NEAR(controller->getParamNormalized(7), 0.3, 1e-7);
}

TEST_F(ReverbControllerTest, AnActionRunsOnceForEachPress)
{
    // Reset is pressed through the host's control (as its generic editor
    // does); a host that hands the same value back presses nothing.
    plugin.setParameter(indexOf(7), 0.3f);
    processOnce();
    EXPECT_NEAR(controller->getParamNormalized(7), 0.3, 1e-7);
    plugin.setParameter(indexOf(4), 1.0f);
    EXPECT_EQ(controller->getParamNormalized(7), 0.5);
    EXPECT_EQ(controller->getParamNormalized(4), 1.0);

    plugin.setParameter(indexOf(7), 0.2f);
    processOnce();
    plugin.setParameter(indexOf(4), 1.0f);  // still on: not a press
    EXPECT_NEAR(controller->getParamNormalized(7), 0.2, 1e-7);
    plugin.setParameter(indexOf(4), 0.0f);
    plugin.setParameter(indexOf(4), 1.0f);  // off, then on: a press
    EXPECT_EQ(controller->getParamNormalized(7), 0.5);
}
