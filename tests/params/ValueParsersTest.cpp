// Value displays read back into real values: every kind of display text the
// formatters write, texts a user would type, and texts that name no value.
#include "params/ParameterTable.h"
#include "params/ValueParsers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace param;

namespace {

struct Case {
    int id;
    const char* text;
    double real;
};

} // namespace

TEST(ValueParsers, ReadsEachDisplaysTextsAndUnits)
{
    const Case cases[] = {
        {kStrech, "150%", 1.5},          {kStrech, "83", 0.83},
        {kDecay, "0.0", 1.0},            {kDecay, "+10.0", 100.0},  // the decay's -10..+10 scale over 0.01..100
        {kDecay, "-5.0", 0.1},
        {kGate, "off", 2972.154296875},  {kGate, "140ms", 140.0},   {kGate, "1.50s", 1500.0},
        {kDump, " 0.25", 0.25},
        {kPreDelay, "0.00ns", 0.0},      {kPreDelay, "500ns", 0.5}, {kPreDelay, "74.0 ms", 74.0},
        {kStWidth, "Mono", 0.0},         {kStWidth, "Stereo", 1.0}, {kStWidth, "x1.6", 1.6},
        {kStBalance, "Center", 0.0},     {kStBalance, " 30% Left", -0.3}, {kStBalance, "45% right", 0.45},
        {kStBalance, "-0.5", -0.5},
        {kStInputs, "Mono Input", 0.0},  {kStInputs, "L-R Parallel", 1.0}, {kStInputs, "R-L Parallel", -1.0},
        {kStInputs, "L-R Mix 50%", 0.5}, {kStInputs, "R-L Mix 26%", -0.74},
        {kHPF, "20.0Hz", 20.0},          {kLPF, "2.50kHz", 2500.0}, {kLPF, "12.3 KHZ", 12300.0},
        {kBAL, "-3.5dB", -3.5},          {kBAL, "6", 6.0},
        {kWetLevel, "OFF", -30.0},       {kDryLevel, "-12.5dB", -12.5},
    };
    for (const Case& c : cases) {
        double real = -1234.0;
        ASSERT_TRUE(parseValueText(c.id, c.text, real)) << findControl(c.id).name << " \"" << c.text << "\"";
        EXPECT_NEAR(real, c.real, 1e-9 * std::fmax(1.0, std::fabs(c.real))) << findControl(c.id).name << " \"" << c.text << "\"";
    }
}

TEST(ValueParsers, RefusesTextsThatNameNoValue)
{
    const Case refused[] = {
        {kStrech, "", 0},           {kStrech, "loud", 0},         {kLPF, "2.5 MHz", 0},  {kPreDelay, "5 minutes", 0},
        {kStWidth, "x", 0},         {kStInputs, "L-R Mix", 0},    {kStBalance, "30% up", 0},
        {kDryLevel, "nan", 0},      {kDryLevel, "inf dB", 0},     {kGate, "on", 0},
        // switches, actions, the placeholder and the path values have no display
        {kEnabledHPF, "1", 0},      {kReset, "0", 0},             {kPathFirst, "0", 0},   {kNumParams, "0", 0},
    };
    for (const Case& c : refused) {
        double real = 0.0;
        EXPECT_FALSE(parseValueText(c.id, c.text, real)) << c.id << " \"" << c.text << "\"";
    }
    double real = 0.0;
    EXPECT_FALSE(parseValueText(kStrech, nullptr, real));
}

TEST(ValueParsers, EveryDisplayedTextReadsBackToItself)
{
    char shown[kFormatterTextCapacity];
    char again[kFormatterTextCapacity];
    for (int id = 0; id < kParameterRecordCount; ++id) {
        const ParameterRecord& record = findControl(id);
        if (!record.formatter)
            continue;
        for (int step = 0; step <= 200; ++step) {
            const double real = toRealValue(step / 200.0, id);
            record.formatter(static_cast<float>(real), shown);
            double read = 0.0;
            ASSERT_TRUE(parseValueText(id, shown, read)) << record.name << " \"" << shown << "\"";
            record.formatter(static_cast<float>(read), again);
            // A width just off 0 or 1 shows as "x0.0" or "x1.0", read as 0 or
            // 1, which show as words.
            if (id == kStWidth && (std::strcmp(shown, "x0.0") == 0 || std::strcmp(shown, "x1.0") == 0))
                EXPECT_STREQ(again, shown[1] == '0' ? "Mono" : "Stereo");
            else
                EXPECT_STREQ(again, shown) << record.name << " at " << real;
        }
    }
}
