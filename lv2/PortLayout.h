#pragma once
// The plug-in's ports, in index order: stereo audio in and out, one control
// input per user-facing parameter (ids kBypassLocal .. kDryLevel, in id order,
// real units), the latency report, the host's free-wheeling switch, and the
// atom ports that carry the IR file property. Symbols are what hosts save port
// values under: they never change once published.
#include "params/ParameterTable.h"

#include <cstdint>

namespace lv2plugin {

constexpr std::uint32_t kInLeftPort = 0;
constexpr std::uint32_t kInRightPort = 1;
constexpr std::uint32_t kOutLeftPort = 2;
constexpr std::uint32_t kOutRightPort = 3;

constexpr int kFirstPortParameter = param::kBypassLocal;
constexpr int kLastPortParameter = param::kDryLevel;
constexpr int kParameterPortCount = kLastPortParameter - kFirstPortParameter + 1;
constexpr std::uint32_t kFirstParameterPort = 4;

constexpr std::uint32_t kLatencyPort = kFirstParameterPort + kParameterPortCount;
constexpr std::uint32_t kFreeWheelPort = kLatencyPort + 1;
constexpr std::uint32_t kControlPort = kFreeWheelPort + 1;
constexpr std::uint32_t kNotifyPort = kControlPort + 1;
constexpr std::uint32_t kPortCount = kNotifyPort + 1;

enum class PortUnit { None, Coefficient, Milliseconds, Hertz, Decibels };

struct ParameterPort {
    int id;
    const char* symbol;
    PortUnit unit;
    // 0 off, anything above 0 on (lv2:toggled)
    bool toggle;
};

// In port order, which is parameter id order.
constexpr ParameterPort kParameterPorts[kParameterPortCount] = {
    {param::kBypassLocal, "bypass_local", PortUnit::None, true},
    {param::kStrech, "strech", PortUnit::Coefficient, false},
    {param::kDecay, "decay", PortUnit::None, false},
    {param::kGate, "gate", PortUnit::Milliseconds, false},
    {param::kDump, "dump", PortUnit::None, false},
    {param::kPreDelay, "predelay", PortUnit::Milliseconds, false},
    {param::kStWidth, "st_width", PortUnit::Coefficient, false},
    {param::kStBalance, "st_balance", PortUnit::None, false},
    {param::kStInputs, "st_inputs", PortUnit::None, false},
    {param::kHPF, "hpf", PortUnit::Hertz, false},
    {param::kLPF, "lpf", PortUnit::Hertz, false},
    {param::kBAL, "bal", PortUnit::Decibels, false},
    {param::kEnabledHPF, "enabled_hpf", PortUnit::None, true},
    {param::kEnabledBAL, "enabled_bal", PortUnit::None, true},
    {param::kEnabledLPF, "enabled_lpf", PortUnit::None, true},
    {param::kWetPlus12dB, "wet_12db", PortUnit::None, true},
    {param::kWetLevel, "wetlevel", PortUnit::Decibels, false},
    {param::kDryLevel, "drylevel", PortUnit::Decibels, false},
};

constexpr bool portsFollowIds()
{
    for (int i = 0; i < kParameterPortCount; ++i)
        if (kParameterPorts[i].id != kFirstPortParameter + i)
            return false;
    return true;
}
static_assert(portsFollowIds(), "parameter ports are in id order");

constexpr bool hasParameterPort(int id)
{
    return id >= kFirstPortParameter && id <= kLastPortParameter;
}

// Only for ids with a port.
constexpr std::uint32_t portOfParameter(int id)
{
    return kFirstParameterPort + static_cast<std::uint32_t>(id - kFirstPortParameter);
}

// The parameter id of a control port, -1 for every other port.
constexpr int parameterOfPort(std::uint32_t port)
{
    if (port < kFirstParameterPort || port >= kFirstParameterPort + kParameterPortCount)
        return -1;
    return kFirstPortParameter + static_cast<int>(port - kFirstParameterPort);
}

constexpr const ParameterPort& parameterPort(int id)
{
    return kParameterPorts[id - kFirstPortParameter];
}

} // namespace lv2plugin
