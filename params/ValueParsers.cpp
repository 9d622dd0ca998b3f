#include "params/ValueParsers.h"

#include "params/ParameterTable.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace param {

namespace {

// Lower case, without the spaces around it or inside it ("30 % left" reads as "30%left").
std::string squeezed(const char* text)
{
    std::string out;
    for (const char* c = text; *c; ++c)
        if (!std::isspace(static_cast<unsigned char>(*c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return out;
}

// A number at the start of `text`, and what follows it.
bool leadingNumber(const std::string& text, double& value, std::string& rest)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value))
        return false;
    rest = end;
    return true;
}

// A number followed by exactly one of the units, each with its factor to the real value.
struct Unit {
    const char* text;
    double factor;
};
template <std::size_t N>
bool numberWithUnit(const std::string& text, const Unit (&units)[N], double& real)
{
    double value = 0.0;
    std::string rest;
    if (!leadingNumber(text, value, rest))
        return false;
    for (const Unit& unit : units) {
        if (rest == unit.text) {
            real = value * unit.factor;
            return true;
        }
    }
    return false;
}

bool parseTime(const std::string& text, double& real)
{
    // The display's "ns" stands for thousandths of a millisecond.
    static const Unit units[] = {{"", 1.0}, {"ms", 1.0}, {"s", 1000.0}, {"ns", 0.001}, {"us", 0.001}};
    return numberWithUnit(text, units, real);
}

bool parseDecay(const std::string& text, const ParameterRecord& record, double& real)
{
    static const Unit units[] = {{"", 1.0}};
    double shown = 0.0;
    if (!numberWithUnit(text, units, shown))
        return false;
    // -10 .. +10 around the unchanged decay, along the knob's logarithmic travel.
    const double position = shown / 20.0 + 0.5;
    const double lo = std::log(record.minimum);
    const double hi = std::log(record.maximum);
    real = std::exp(lo + position * (hi - lo));
    return true;
}

bool parseInputs(const std::string& text, double& real)
{
    static const Unit bare[] = {{"", 1.0}};
    if (text == "monoinput" || text == "mono")
        return real = 0.0, true;
    if (numberWithUnit(text, bare, real))
        return true;
    double sign = 0.0;
    if (text.compare(0, 3, "l-r") == 0)
        sign = 1.0;
    else if (text.compare(0, 3, "r-l") == 0)
        sign = -1.0;
    else
        return false;
    const std::string rest = text.substr(3);
    if (rest == "parallel")
        return real = sign, true;
    // "Mix N%": N percent mixed in from the other side, that is a blend of 100 - N.
    static const Unit percent[] = {{"%", 1.0}};
    double mix = 0.0;
    if (rest.compare(0, 3, "mix") != 0 || !numberWithUnit(rest.substr(3), percent, mix))
        return false;
    real = sign * (100.0 - mix) / 100.0;
    return true;
}

bool parseWidth(const std::string& text, double& real)
{
    static const Unit bare[] = {{"", 1.0}};
    if (text == "mono")
        return real = 0.0, true;
    if (text == "stereo")
        return real = 1.0, true;
    return numberWithUnit(text[0] == 'x' ? text.substr(1) : text, bare, real);
}

bool parseBalance(const std::string& text, double& real)
{
    if (text == "center" || text == "centre")
        return real = 0.0, true;
    static const Unit units[] = {{"", 1.0}, {"%left", -0.01}, {"%right", 0.01}};
    return numberWithUnit(text, units, real);
}

} // namespace

bool parseValueText(int id, const char* text, double& real)
{
    if (!text || id < 0 || id >= kParameterRecordCount)
        return false;
    const ParameterRecord& record = findControl(id);
    const ValueFormatter format = record.formatter;
    const std::string t = squeezed(text);
    static const Unit bare[] = {{"", 1.0}};
    bool read = false;
    if (format == formatPercent) {
        static const Unit units[] = {{"", 0.01}, {"%", 0.01}};
        read = numberWithUnit(t, units, real);
    } else if (format == formatDecay) {
        read = parseDecay(t, record, real);
    } else if (format == formatGate) {
        read = t == "off" ? (real = record.maximum, true) : parseTime(t, real);
    } else if (format == formatTime) {
        read = parseTime(t, real);
    } else if (format == formatDump) {
        read = numberWithUnit(t, bare, real);
    } else if (format == formatInputs) {
        read = parseInputs(t, real);
    } else if (format == formatWidth) {
        read = parseWidth(t, real);
    } else if (format == formatBalance) {
        read = parseBalance(t, real);
    } else if (format == formatFrequency) {
        static const Unit units[] = {{"", 1.0}, {"hz", 1.0}, {"khz", 1000.0}};
        read = numberWithUnit(t, units, real);
    } else if (format == formatTilt) {
        static const Unit units[] = {{"", 1.0}, {"db", 1.0}};
        read = numberWithUnit(t, units, real);
    } else if (format == formatLevel) {
        static const Unit units[] = {{"", 1.0}, {"db", 1.0}};
        read = t == "off" ? (real = record.minimum, true) : numberWithUnit(t, units, real);
    }
    return read && std::isfinite(real);
}

} // namespace param
