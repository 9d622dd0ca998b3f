#include "params/ParameterTable.h"
#include "params/ValueFormatters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

using namespace param;

namespace {

std::string show(ValueFormatter formatter, float value)
{
    char text[kFormatterTextCapacity];
    std::memset(text, 'Z', sizeof text);
    formatter(value, text);
    return std::string(text, strnlen(text, sizeof text));
}

} // namespace

TEST(ValueFormatters, Percent)
{
    EXPECT_EQ(show(formatPercent, 0.5f), "50%");
    EXPECT_EQ(show(formatPercent, 2.0f), "200%");
    EXPECT_EQ(show(formatPercent, 0.994f), "99%");
    EXPECT_EQ(show(formatPercent, 0.996f), "100%");
}

TEST(ValueFormatters, DecayIsCentredOnUnchangedDecay)
{
    EXPECT_EQ(show(formatDecay, 1.0f), "0.0");
    EXPECT_EQ(show(formatDecay, 10.0f), "+5.0");
    EXPECT_EQ(show(formatDecay, 100.0f), "+10.0");
    EXPECT_EQ(show(formatDecay, 0.1f), "-5.0");
    EXPECT_EQ(show(formatDecay, 0.01f), "-10.0");
    // A tiny positive position rounds to 0.0 and therefore gets no sign.
    EXPECT_EQ(show(formatDecay, 1.001f), "0.0");
}

TEST(ValueFormatters, GateIsOffOnlyAtTheTopOfItsRange)
{
    EXPECT_EQ(show(formatGate, static_cast<float>(findControl(kGate).defaultValue)), "off");
    EXPECT_EQ(show(formatGate, 5000.0f), "off");
    EXPECT_EQ(show(formatGate, 2972.0f), "2.97s");
    EXPECT_EQ(show(formatGate, 2972.1541f), "2.97s");
    EXPECT_EQ(show(formatGate, 100.0f), "100ms");
    // Short gates share the time display's microseconds.
    EXPECT_EQ(show(formatGate, 0.25f), "250us");
}

TEST(ValueFormatters, Dump)
{
    EXPECT_EQ(show(formatDump, 1.0f), " 1.00");
    EXPECT_EQ(show(formatDump, 0.256f), " 0.26");
}

TEST(ValueFormatters, TimeChoosesUnitAndPrecisionByMagnitude)
{
    EXPECT_EQ(show(formatTime, 0.0f), "0.00us");
    EXPECT_EQ(show(formatTime, 0.005f), "5.00us");
    EXPECT_EQ(show(formatTime, 0.05f), "50.0us");
    EXPECT_EQ(show(formatTime, 0.5f), "500us");
    EXPECT_EQ(show(formatTime, 1.0f), "1.00ms");
    EXPECT_EQ(show(formatTime, 10.0f), "10.0ms");
    EXPECT_EQ(show(formatTime, 200.0f), "200ms");
    EXPECT_EQ(show(formatTime, 1000.0f), "1.00s");
    EXPECT_EQ(show(formatTime, 12345.0f), "12.3s");
    EXPECT_EQ(show(formatTime, 100000.0f), "100s");
    // The thresholds are the float constants: 0.01f itself is no longer below 0.01.
    EXPECT_EQ(show(formatTime, 0.01f), "10.0us");
    EXPECT_EQ(show(formatTime, 0.1f), "100us");
}

TEST(ValueFormatters, Inputs)
{
    EXPECT_EQ(show(formatInputs, -1.0f), "R-L Parallel");
    EXPECT_EQ(show(formatInputs, 1.0f), "L-R Parallel");
    EXPECT_EQ(show(formatInputs, 0.004f), "Mono Input");
    EXPECT_EQ(show(formatInputs, -0.004f), "Mono Input");
    EXPECT_EQ(show(formatInputs, -0.25f), "R-L Mix 75%");
    EXPECT_EQ(show(formatInputs, 0.5f), "L-R Mix 50%");
    EXPECT_EQ(show(formatInputs, 0.995f), "L-R Parallel");
    EXPECT_EQ(show(formatInputs, 0.994f), "L-R Mix 1%");
}

TEST(ValueFormatters, Width)
{
    EXPECT_EQ(show(formatWidth, 0.99f), "Stereo");
    EXPECT_EQ(show(formatWidth, 0.98f), "Stereo");
    EXPECT_EQ(show(formatWidth, 1.02f), "x1.0");
    EXPECT_EQ(show(formatWidth, 0.0f), "Mono");
    EXPECT_EQ(show(formatWidth, 0.01f), "x0.0");
    EXPECT_EQ(show(formatWidth, 1.5f), "x1.5");
}

TEST(ValueFormatters, Balance)
{
    EXPECT_EQ(show(formatBalance, 0.01f), "Center");
    EXPECT_EQ(show(formatBalance, -0.01f), "Center");
    EXPECT_EQ(show(formatBalance, 0.5f), " 50% Right");
    EXPECT_EQ(show(formatBalance, -0.5f), " 50% Left");
    EXPECT_EQ(show(formatBalance, -1.0f), "100% Left");
    EXPECT_EQ(show(formatBalance, 0.02f), "  2% Right");
}

TEST(ValueFormatters, Frequency)
{
    EXPECT_EQ(show(formatFrequency, 20.0f), "20.0Hz");
    EXPECT_EQ(show(formatFrequency, 99.94f), "99.9Hz");
    EXPECT_EQ(show(formatFrequency, 400.0f), "400Hz");
    EXPECT_EQ(show(formatFrequency, 1000.0f), "1.00kHz");
    EXPECT_EQ(show(formatFrequency, 10000.0f), "10.0kHz");
}

TEST(ValueFormatters, TiltAndLevel)
{
    EXPECT_EQ(show(formatTilt, -12.0f), "-12.0dB");
    EXPECT_EQ(show(formatTilt, 160.0f), "160.0dB");
    EXPECT_EQ(show(formatTilt, 160.5f), "oo dB");
    EXPECT_EQ(show(formatTilt, -160.5f), "-oo dB");
    EXPECT_EQ(show(formatLevel, -30.0f), "OFF");
    EXPECT_EQ(show(formatLevel, -31.0f), "OFF");
    EXPECT_EQ(show(formatLevel, -29.5f), "-29.5dB");
    EXPECT_EQ(show(formatLevel, 6.0f), "6.0dB");
}

TEST(ValueFormatters, HostileValuesStayInsideTheBuffer)
{
    const std::vector<ValueFormatter> all = {formatPercent, formatDecay, formatGate, formatDump,
        formatTime, formatInputs, formatWidth, formatBalance, formatFrequency, formatTilt, formatLevel};
    const float lim = std::numeric_limits<float>::max();
    const std::vector<float> values = {lim, -lim, std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
        std::numeric_limits<float>::denorm_min(), -0.0f, 1e30f, -1e30f};
    for (std::size_t f = 0; f < all.size(); ++f) {
        for (float v : values) {
            char text[kFormatterTextCapacity + 16];
            std::memset(text, 'Z', sizeof text);
            all[f](v, text);
            EXPECT_LT(strnlen(text, kFormatterTextCapacity), static_cast<std::size_t>(kFormatterTextCapacity))
                << "formatter " << f << " value " << v;
            for (std::size_t i = kFormatterTextCapacity; i < sizeof text; ++i)
                ASSERT_EQ(text[i], 'Z') << "formatter " << f << " value " << v;
        }
    }
}

TEST(ValueFormatters, EveryKnobShowsItsDefault)
{
    const std::vector<std::pair<int, std::string>> expected = {
        {kStrech, "100%"}, {kDecay, "0.0"}, {kGate, "off"}, {kDump, " 1.00"}, {kPreDelay, "0.00us"},
        {kStInputs, "L-R Mix 50%"}, {kStWidth, "Stereo"}, {kStBalance, "Center"}, {kHPF, "20.0Hz"},
        {kLPF, "20.0kHz"}, {kBAL, "0.0dB"}, {kDryLevel, "0.0dB"}, {kWetLevel, "0.0dB"}};
    for (const auto& [id, text] : expected) {
        const ParameterRecord& r = findControl(id);
        ASSERT_NE(r.formatter, nullptr) << id;
        // The display shows the default after it has been through the host's float and back.
        const float normalised = static_cast<float>(normalisedDefault(id));
        EXPECT_EQ(show(r.formatter, static_cast<float>(toRealValue(normalised, id))), text) << r.name;
    }
}
