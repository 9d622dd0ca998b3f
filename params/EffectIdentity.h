#pragma once
// How the effect names itself to a host, in every plug-in format it ships in.

namespace effect {

constexpr const char* kEffectName = "KS [TALU-01] Convolution Reverb 0.01";
constexpr const char* kVendorString = "[Kestrel] Fenwood.T";
constexpr const char* kProductString = "REVERB";

// What tells the two editions apart to a host: its names and its VST 2.4
// unique id (four characters, most significant first). Everything else (the
// parameters, programs, state, editor) is the same, so a project saved with
// one restores in the other.
struct EditionIdentity {
    const char* effectName;
    const char* productString;
    char uniqueId[5];
    // Shown in the editor's title block; null for the standard edition.
    const char* editorMark;
};

constexpr EditionIdentity kStandardIdentity{kEffectName, kProductString, "2913", nullptr};
constexpr EditionIdentity kLiveIdentity{"KS [TALU-01] Convolution Reverb Live", "REVERB Live", "291L", "LIVE"};

} // namespace effect
