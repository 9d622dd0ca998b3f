#pragma once
// How the effect names itself to a host, in every plug-in format it ships in.

namespace effect {

constexpr const char* kEffectName = "KS [TALU-01] Convolution Reverb 0.01";
constexpr const char* kVendorString = "[Kestrel] Fenwood.T";
constexpr const char* kProductString = "REVERB";

} // namespace effect
