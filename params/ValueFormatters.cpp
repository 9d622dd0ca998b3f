#include "params/ValueFormatters.h"

#include "params/ParameterRanges.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace param {

namespace {

// Truncation toward zero that stays defined for NaN and huge values, which a
// host can hand us through out-of-range parameter values.
int truncateToInt(double value)
{
    if (!(value == value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

template <typename... Args>
void write(char* text, const char* format, Args... args)
{
    std::snprintf(text, kFormatterTextCapacity, format, args...);
}

void writeText(char* text, const char* fixed)
{
    write(text, "%s", fixed);
}

} // namespace

void formatPercent(float value, char* text)
{
    write(text, "%d%%", truncateToInt(value * 100.0 + 0.5));
}

void formatDecay(float value, char* text)
{
    // The knob's centre is the unchanged decay; show it as -10 .. +10 around 0.
    const float lnMinimum = static_cast<float>(std::log(0.01));
    const double position = (std::log(static_cast<double>(value)) - lnMinimum) / (std::log(100.0) - lnMinimum);
    const double shown = (position - 0.5) * 20.0;
    write(text, "%.1f", shown);
    if (std::strcmp(text, "0.0") != 0 && shown > 0.0)
        write(text, "+%.1f", shown);
}

void formatGate(float value, char* text)
{
    if (value >= static_cast<float>(param::kGateMaximumMs)) {
        writeText(text, "off");
        return;
    }
    formatTime(value, text);
}

void formatDump(float value, char* text)
{
    write(text, "%5.2f", static_cast<double>(value));
}

void formatTime(float value, char* text)
{
    const double ms = value;
    // Below a millisecond the value shows in microseconds, written "us": not
    // every font the editor may fall back to has the micro sign.
    if (value < 0.01f)
        write(text, "%.2fus", ms * 1000.0);
    else if (value < 0.1f)
        write(text, "%.1fus", ms * 1000.0);
    else if (value < 1.0f)
        write(text, "%.0fus", ms * 1000.0);
    else if (value < 10.0f)
        write(text, "%.2fms", ms);
    else if (value < 100.0f)
        write(text, "%.1fms", ms);
    else if (value < 1000.0f)
        write(text, "%.0fms", ms);
    else if (value < 10000.0f)
        write(text, "%.2fs", ms * 0.001);
    else if (value < 100000.0f)
        write(text, "%.1fs", ms * 0.001);
    else
        write(text, "%.0fs", ms * 0.001);
}

void formatInputs(float value, char* text)
{
    const int blend = truncateToInt(std::fabs(static_cast<double>(value)) * 100.0 + 0.5);
    if (blend == 0) {
        writeText(text, "Mono Input");
        return;
    }
    const char* order = value > 0.0f ? "L-R" : "R-L";
    if (blend == 100)
        write(text, "%s Parallel", order);
    else
        write(text, "%s Mix %d%%", order, 100 - blend);
}

void formatWidth(float value, char* text)
{
    if (value == 0.0f)
        writeText(text, "Mono");
    else if (value >= 0.98f && value < 1.02f)
        writeText(text, "Stereo");
    else
        write(text, "x%.1f", static_cast<double>(value));
}

void formatBalance(float value, char* text)
{
    if (value < -0.01f)
        write(text, "%3.0f%% Left", value * -100.0);
    else if (value > 0.01f)
        write(text, "%3.0f%% Right", value * 100.0);
    else
        writeText(text, "Center");
}

void formatFrequency(float value, char* text)
{
    const double hz = value;
    if (value < 100.0f)
        write(text, "%.1fHz", hz);
    else if (value < 1000.0f)
        write(text, "%.0fHz", hz);
    else if (value < 10000.0f)
        write(text, "%.2fkHz", hz * 0.001);
    else
        write(text, "%.1fkHz", hz * 0.001);
}

void formatTilt(float value, char* text)
{
    if (value < -160.0f)
        writeText(text, "-oo dB");
    else if (value > 160.0f)
        writeText(text, "oo dB");
    else
        write(text, "%.1fdB", static_cast<double>(value));
}

void formatLevel(float value, char* text)
{
    if (value <= param::kSilentLevelDb)
        writeText(text, "OFF");
    else
        write(text, "%.1fdB", static_cast<double>(value));
}

} // namespace param
