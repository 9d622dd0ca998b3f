#pragma once
// How the effect names itself to a host, in every plug-in format it ships in.

// The product's one version, "<major>.<minor digit><micro digit>": the effect's
// name ends in it, the LV2 description carries its two digits after the point
// as minor and micro version, and the Debian package and the Windows zip are
// named after it (CMake reads this line).
#define KESTREL_REVERB_VERSION "0.01"

namespace effect {

constexpr const char* kVersion = KESTREL_REVERB_VERSION;
constexpr const char* kEffectName = "KS [TALU-01] Convolution Reverb " KESTREL_REVERB_VERSION;
constexpr const char* kVendorString = "[Kestrel] Fenwood.T";
constexpr const char* kProductString = "REVERB";

// The LV2 minor and micro version: the digits after the point.
constexpr int kMinorVersion = KESTREL_REVERB_VERSION[2] - '0';
constexpr int kMicroVersion = KESTREL_REVERB_VERSION[3] - '0';
static_assert(KESTREL_REVERB_VERSION[1] == '.' && KESTREL_REVERB_VERSION[4] == '\0',
              "the version is one digit, a point and two digits");
static_assert(kMinorVersion >= 0 && kMinorVersion <= 9 && kMicroVersion >= 0 && kMicroVersion <= 9,
              "the digits after the point are the LV2 minor and micro version");

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
