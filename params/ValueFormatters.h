#pragma once
// Texts of the editor's value displays. Each formatter takes the real value and
// writes a zero-terminated text into the caller's buffer.

namespace param {

// Buffer size every formatter needs; texts are cut to fit, even for absurd values.
constexpr int kFormatterTextCapacity = 64;

using ValueFormatter = void (*)(float value, char* text);

void formatPercent(float value, char* text);   // Strech
void formatDecay(float value, char* text);     // Decay
void formatGate(float value, char* text);      // Gate: "off" at the top of the range
void formatDump(float value, char* text);      // Dump
void formatTime(float value, char* text);      // milliseconds: PreDelay, Gate, envelope graph labels
void formatInputs(float value, char* text);    // St.Inputs
void formatWidth(float value, char* text);     // St.Width
void formatBalance(float value, char* text);   // St.Balance
void formatFrequency(float value, char* text); // HPF, LPF
void formatTilt(float value, char* text);      // BAL
void formatLevel(float value, char* text);     // WetLevel, DryLevel

} // namespace param
